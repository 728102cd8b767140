#include "views/FieldViews.h"

#include <QLabel>
#include <QLineEdit>

#include "core/FieldSet.h"

namespace {
QString FieldName(int id) {
    return QStringLiteral("field%1").arg(id);
}

// A widget showing a field takes its current text (when it has one) and then
// every change of it.
template <class Widget>
void Follow(FieldSet& fields, int id, Widget* widget) {
    if (fields.Has(id)) widget->setText(QString::fromStdString(fields.Get(id)));
    QObject::connect(&fields, &FieldSet::changed, widget,
                     [widget, id](int changed, const QString& text) {
                         if (changed == id) widget->setText(text);
                     });
}
}  // namespace

QLabel* FieldLabel(FieldSet& fields, int id, QWidget* parent, Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    label->setObjectName(FieldName(id));
    label->setAlignment(alignment);
    Follow(fields, id, label);
    // Room for the widest number the windows show ("-3.12e-03", "+1.234e+00"),
    // plus the frame some views give their labels.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("-8.888e-88")) +
                           8);
    return label;
}

QLineEdit* FieldEdit(FieldSet& fields, int id, QWidget* parent) {
    auto* edit = new QLineEdit(QString::fromStdString(fields.Get(id)), parent);
    edit->setObjectName(FieldName(id));
    // The comparison stops the echo: the field's change sets the text only
    // when the edit does not already hold it, and FieldSet ignores a Set
    // that changes nothing, so typing never moves the cursor or loops.
    QObject::connect(&fields, &FieldSet::changed, edit,
                     [edit, id](int changed, const QString& text) {
                         if (changed == id && edit->text() != text) edit->setText(text);
                     });
    QObject::connect(edit, &QLineEdit::textChanged, &fields,
                     [&fields, id](const QString& text) { fields.Set(id, text.toStdString()); });
    return edit;
}

QLineEdit* FieldReadOut(FieldSet& fields, int id, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(FieldName(id));
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    Follow(fields, id, field);
    return field;
}

void FollowField(FieldSet& fields, int id, QLabel* label) {
    Follow(fields, id, label);
}

QLabel* StaticText(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}
