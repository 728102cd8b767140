#pragma once
// The named controls of the dialogs and pages. A control's objectName is its
// identifier, so tests and the automation interface find it: a numeric id
// gives "button<id>" (push buttons, check boxes and radio buttons alike, as
// in the dialog resources), a name is taken as it is ("IDOK", "radio104").
#include <QString>
#include <Qt>
#include <functional>

class QCheckBox;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

// Push buttons never become the default button by getting the focus: Enter in
// an edit must not start a command the operator did not click.
QPushButton* PushButton(const QString& text, int id, QWidget* parent);
QPushButton* PushButton(const QString& text, const QString& name, QWidget* parent);

QRadioButton* RadioButton(const QString& text, int id, QWidget* parent);
QRadioButton* RadioButton(const QString& text, const QString& name, QWidget* parent);

QCheckBox* CheckBox(const QString& text, int id, QWidget* parent);
QCheckBox* CheckBox(const QString& text, const QString& name, QWidget* parent);

// One arrow button (Qt::UpArrow, Qt::DownArrow).
QToolButton* ArrowButton(Qt::ArrowType arrow, const QString& name, QWidget* parent);

// An up-down control "updown<id>": two small repeating arrows, one above the
// other ("updown<id>Up", "updown<id>Down"); `step` gets +1 or -1.
QWidget* UpDown(int id, QWidget* parent, std::function<void(int)> step);
