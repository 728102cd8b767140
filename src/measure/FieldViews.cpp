#include "FieldViews.h"

#include <QLabel>
#include <QLineEdit>

#include "FieldSet.h"

QLabel* FieldLabel(FieldSet& fields, int id, QWidget* parent, Qt::Alignment alignment) {
    auto* label = new QLabel(QString::fromStdString(fields.Get(id)), parent);
    label->setObjectName(QStringLiteral("field%1").arg(id));
    label->setAlignment(alignment);
    // Room for the widest number the windows show ("-3.12e-03", "+1.234e+00"),
    // plus the frame some views give their labels.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("-8.888e-88")) +
                           8);
    QObject::connect(&fields, &FieldSet::changed, label,
                     [label, id](int changed, const QString& text) {
                         if (changed == id) label->setText(text);
                     });
    return label;
}

QLineEdit* FieldEdit(FieldSet& fields, int id, QWidget* parent) {
    auto* edit = new QLineEdit(QString::fromStdString(fields.Get(id)), parent);
    edit->setObjectName(QStringLiteral("field%1").arg(id));
    QObject::connect(&fields, &FieldSet::changed, edit,
                     [edit, id](int changed, const QString& text) {
                         if (changed == id && edit->text() != text) edit->setText(text);
                     });
    QObject::connect(edit, &QLineEdit::textChanged, edit,
                     [&fields, id](const QString& text) { fields.Set(id, text.toStdString()); });
    return edit;
}

QLabel* StaticText(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}
