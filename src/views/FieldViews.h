#pragma once
// The thin views every window and panel is built from: each widget shows one
// field of a FieldSet, named "field<id>", and follows its changes. The window
// writes its model; these widgets are the only code that copies texts between
// the model and the screen.
#include <QString>
#include <Qt>

class FieldSet;
class QLabel;
class QLineEdit;
class QWidget;

// A label showing field `id`, named "field<id>", wide enough for a number.
QLabel* FieldLabel(FieldSet& fields, int id, QWidget* parent,
                   Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// An edit bound both ways to field `id`, named "field<id>": typing sets the
// field, a change of the field shows in the edit.
QLineEdit* FieldEdit(FieldSet& fields, int id, QWidget* parent);
// A read-only edit without focus showing field `id`, named "field<id>".
QLineEdit* FieldReadOut(FieldSet& fields, int id, QWidget* parent);
// Makes an existing label show field `id` and follow it (its name, font and
// size stay the caller's).
void FollowField(FieldSet& fields, int id, QLabel* label);
// A fixed text.
QLabel* StaticText(const QString& text, QWidget* parent);
