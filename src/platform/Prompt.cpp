#include "platform/Prompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <cctype>

namespace Prompt {
namespace {
Responder* g_responder = nullptr;
std::function<void(const Record&)> g_echo;

void Echo(const Record& record) {
    if (g_echo) g_echo(record);
}

std::vector<int> AnswersOf(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return {IDOK};
        case Buttons::OkCancel:
            return {IDOK, IDCANCEL};
        case Buttons::AbortRetryIgnore:
            return {IDABORT, IDRETRY, IDIGNORE};
        case Buttons::YesNoCancel:
            return {IDYES, IDNO, IDCANCEL};
        case Buttons::YesNo:
            return {IDYES, IDNO};
        case Buttons::RetryCancel:
            return {IDRETRY, IDCANCEL};
    }
    return {IDOK};
}

QMessageBox::StandardButton ToQt(int answer) {
    switch (answer) {
        case IDOK:
            return QMessageBox::Ok;
        case IDCANCEL:
            return QMessageBox::Cancel;
        case IDABORT:
            return QMessageBox::Abort;
        case IDRETRY:
            return QMessageBox::Retry;
        case IDIGNORE:
            return QMessageBox::Ignore;
        case IDYES:
            return QMessageBox::Yes;
        case IDNO:
            return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

int FromQt(int button) {
    for (int answer = IDOK; answer <= IDNO; ++answer)
        if (ToQt(answer) == button) return answer;
    return IDCANCEL;
}

QMessageBox::Icon ToQt(Icon icon) {
    switch (icon) {
        case Icon::None:
            return QMessageBox::NoIcon;
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Warning:
            return QMessageBox::Warning;
        case Icon::Stop:
            return QMessageBox::Critical;
        case Icon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

bool CanShowWindows() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// The window system draws the caption in the title bar, which the box's own
// layout never measures: a short text under a long caption gave a box too
// narrow for it. Widen the box to the caption in a bold title font, with room
// for the title bar's icon and buttons.
int CaptionWidth(const QString& caption) {
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int buttons = 3 * (metrics.height() + 12);
    return metrics.horizontalAdvance(caption) + buttons + metrics.height() + 48;
}

void FitCaption(QMessageBox& box, const QString& caption) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    const int wanted = CaptionWidth(caption);
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}
}  // namespace

int EscapeAnswer(Buttons buttons) {
    const auto answers = AnswersOf(buttons);
    if (std::count(answers.begin(), answers.end(), IDCANCEL)) return IDCANCEL;
    if (std::count(answers.begin(), answers.end(), IDNO)) return IDNO;
    if (buttons == Buttons::AbortRetryIgnore) return IDABORT;
    return IDOK;
}

bool Offers(Buttons buttons, int answer) {
    const auto answers = AnswersOf(buttons);
    return std::count(answers.begin(), answers.end(), answer) != 0;
}

int AnswerFromName(const std::string& name) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "ok") return IDOK;
    if (lower == "cancel") return IDCANCEL;
    if (lower == "abort") return IDABORT;
    if (lower == "retry") return IDRETRY;
    if (lower == "ignore") return IDIGNORE;
    if (lower == "yes") return IDYES;
    if (lower == "no") return IDNO;
    return 0;
}

ScriptedResponder::ScriptedResponder(std::vector<std::string> answers)
    : answers_(std::move(answers)) {}

std::optional<std::string> ScriptedResponder::Next() {
    if (next_ >= answers_.size()) return std::nullopt;
    return answers_[next_++];
}

int ScriptedResponder::AnswerMessage(const Record& record) {
    asked_.push_back(record);
    if (auto name = Next()) {
        const int answer = AnswerFromName(*name);
        if (answer != 0 && Offers(record.buttons, answer)) return answer;
    }
    return EscapeAnswer(record.buttons);
}

int ScriptedResponder::AnswerDialog(QDialog& dialog, const Record& record) {
    asked_.push_back(record);
    if (onDialog) onDialog(dialog);
    const auto name = Next();
    if (!name || AnswerFromName(*name) != IDOK) return IDCANCEL;
    // Accept through the dialog's own OK handling, so its checks still run.
    dialog.setResult(-1);
    if (auto* ok = dialog.findChild<QAbstractButton*>("IDOK")) {
        ok->click();
    } else {
        dialog.accept();
    }
    return dialog.result() == QDialog::Accepted ? IDOK : IDCANCEL;
}

std::optional<std::string> ScriptedResponder::AnswerInput(const Record& record) {
    asked_.push_back(record);
    auto name = Next();
    if (!name || AnswerFromName(*name) == IDCANCEL) return std::nullopt;
    return name;
}

void SetResponder(Responder* responder) {
    g_responder = responder;
}
Responder* CurrentResponder() {
    return g_responder;
}
void SetEcho(std::function<void(const Record&)> echo) {
    g_echo = std::move(echo);
}

int Message(QWidget* owner, const std::string& text, const std::string& caption, Buttons buttons,
            Icon icon) {
    Record record{"message", caption, text, buttons, icon};
    Echo(record);
    if (g_responder) return g_responder->AnswerMessage(record);
    if (!CanShowWindows()) return EscapeAnswer(buttons);
    QMessageBox box(ToQt(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, owner);
    for (int answer : AnswersOf(buttons)) box.addButton(ToQt(answer));
    box.setEscapeButton(ToQt(EscapeAnswer(buttons)));
    FitCaption(box, box.windowTitle());
    return FromQt(box.exec());
}

int Exec(QDialog& dialog) {
    Record record{"dialog", dialog.windowTitle().toStdString(), dialog.objectName().toStdString(),
                  Buttons::OkCancel, Icon::None};
    Echo(record);
    if (g_responder) return g_responder->AnswerDialog(dialog, record);
    return dialog.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

std::optional<std::string> Text(QWidget* owner, const std::string& caption,
                                const std::string& label, const std::string& initial) {
    Record record{"text", caption, label, Buttons::OkCancel, Icon::None};
    Echo(record);
    if (g_responder) return g_responder->AnswerInput(record);
    if (!CanShowWindows()) return std::nullopt;
    bool ok = false;
    const QString value =
        QInputDialog::getText(owner, QString::fromStdString(caption), QString::fromStdString(label),
                              QLineEdit::Normal, QString::fromStdString(initial), &ok);
    if (!ok) return std::nullopt;
    return value.toStdString();
}

std::optional<std::string> OpenFile(QWidget* owner, const std::string& caption,
                                    const std::string& directory, const std::string& filter) {
    Record record{"open", caption, directory, Buttons::OkCancel, Icon::None};
    Echo(record);
    if (g_responder) return g_responder->AnswerInput(record);
    if (!CanShowWindows()) return std::nullopt;
    const QString file = QFileDialog::getOpenFileName(owner, QString::fromStdString(caption),
                                                      QString::fromStdString(directory),
                                                      QString::fromStdString(filter));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

std::optional<std::string> SaveFile(QWidget* owner, const std::string& caption,
                                    const std::string& directory, const std::string& filter) {
    Record record{"save", caption, directory, Buttons::OkCancel, Icon::None};
    Echo(record);
    if (g_responder) return g_responder->AnswerInput(record);
    if (!CanShowWindows()) return std::nullopt;
    const QString file = QFileDialog::getSaveFileName(owner, QString::fromStdString(caption),
                                                      QString::fromStdString(directory),
                                                      QString::fromStdString(filter));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

}  // namespace Prompt
