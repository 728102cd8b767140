#include "views/Controls.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QString ButtonName(int id) {
    return QStringLiteral("button%1").arg(id);
}

template <class Control>
Control* Named(const QString& text, const QString& name, QWidget* parent) {
    auto* control = new Control(text, parent);
    control->setObjectName(name);
    return control;
}
}  // namespace

QPushButton* PushButton(const QString& text, int id, QWidget* parent) {
    return PushButton(text, ButtonName(id), parent);
}

QPushButton* PushButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = Named<QPushButton>(text, name, parent);
    button->setAutoDefault(false);
    return button;
}

QRadioButton* RadioButton(const QString& text, int id, QWidget* parent) {
    return RadioButton(text, ButtonName(id), parent);
}

QRadioButton* RadioButton(const QString& text, const QString& name, QWidget* parent) {
    return Named<QRadioButton>(text, name, parent);
}

QCheckBox* CheckBox(const QString& text, int id, QWidget* parent) {
    return CheckBox(text, ButtonName(id), parent);
}

QCheckBox* CheckBox(const QString& text, const QString& name, QWidget* parent) {
    return Named<QCheckBox>(text, name, parent);
}

QToolButton* ArrowButton(Qt::ArrowType arrow, const QString& name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(arrow);
    return button;
}

QWidget* UpDown(int id, QWidget* parent, std::function<void(int)> step) {
    auto* box = new QWidget(parent);
    box->setObjectName(QStringLiteral("updown%1").arg(id));
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (const int direction : {+1, -1}) {
        auto* arrow = ArrowButton(
            direction > 0 ? Qt::UpArrow : Qt::DownArrow,
            QStringLiteral("updown%1%2").arg(id).arg(direction > 0 ? "Up" : "Down"), box);
        arrow->setAutoRepeat(true);
        arrow->setFixedSize(22, 13);
        QObject::connect(arrow, &QToolButton::clicked, box, [step, direction] { step(direction); });
        column->addWidget(arrow);
    }
    return box;
}
