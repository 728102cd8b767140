#pragma once
// The thin views of the measurement windows, the results panel and the
// depletion dialog: each label shows one field of a FieldSet and follows it.
#include <QString>
#include <Qt>

class FieldSet;
class QLabel;
class QLineEdit;
class QWidget;

// A label showing field `id`, named "field<id>".
QLabel* FieldLabel(FieldSet& fields, int id, QWidget* parent,
                   Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// An edit bound both ways to field `id`, named "field<id>".
QLineEdit* FieldEdit(FieldSet& fields, int id, QWidget* parent);
// A fixed text.
QLabel* StaticText(const QString& text, QWidget* parent);
