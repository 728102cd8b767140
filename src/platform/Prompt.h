#pragma once
// Every message box and modal dialog of the program goes through here, so a
// test (or the --answer automation) can answer them and see what was asked.
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;
class QDialog;

namespace Prompt {

enum class Icon { None, Information, Warning, Stop, Question };
enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
// Answers carry the platform's numeric identifiers.
enum Answer { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

struct Record {
    std::string kind;  // "message", "dialog", "text", "open", "save", ...
    std::string caption;
    std::string text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

// The answer a box gives when nobody chooses: Cancel where it has one, else
// No, else Abort for an abort/retry/ignore box, else OK.
int EscapeAnswer(Buttons buttons);
bool Offers(Buttons buttons, int answer);
// "OK", "Cancel", "Yes", ... to the answer identifier; 0 when unknown.
int AnswerFromName(const std::string& name);

// A responder answers instead of the user.
class Responder {
  public:
    virtual ~Responder() = default;
    virtual int AnswerMessage(const Record& record) = 0;
    // A modal dialog: the responder may fill its controls, then returns the
    // dialog's result (IDOK accepts through the dialog's own OK handling).
    virtual int AnswerDialog(QDialog& dialog, const Record& record) = 0;
    // Text, file and similar inputs: nullopt is Cancel.
    virtual std::optional<std::string> AnswerInput(const Record& record) = 0;
};

// Answers from a list of names ("OK", "Cancel", "Yes", ...) in turn, then with
// the escape answer; records everything it was asked.
class ScriptedResponder : public Responder {
  public:
    explicit ScriptedResponder(std::vector<std::string> answers = {});
    int AnswerMessage(const Record& record) override;
    int AnswerDialog(QDialog& dialog, const Record& record) override;
    std::optional<std::string> AnswerInput(const Record& record) override;

    void Add(const std::string& answer) { answers_.push_back(answer); }
    // Called for dialogs before they are answered, to fill their controls.
    std::function<void(QDialog&)> onDialog;
    const std::vector<Record>& Asked() const { return asked_; }

  private:
    std::optional<std::string> Next();
    std::vector<std::string> answers_;
    std::size_t next_ = 0;
    std::vector<Record> asked_;
};

// nullptr restores the interactive behaviour.
void SetResponder(Responder* responder);
Responder* CurrentResponder();
// Every prompt is also handed to the echo (the automation prints them).
void SetEcho(std::function<void(const Record&)> echo);

int Message(QWidget* owner, const std::string& text, const std::string& caption,
            Buttons buttons = Buttons::Ok, Icon icon = Icon::None);
// Runs a modal dialog; returns IDOK or IDCANCEL (or the dialog's own result).
int Exec(QDialog& dialog);
std::optional<std::string> Text(QWidget* owner, const std::string& caption,
                                const std::string& label, const std::string& initial);
// File dialogs take and give names in Unicode (UTF-8), never in the
// settings' 8-bit text: a stored name goes in through FileNames::FromStored,
// and a chosen one is kept through FileNames::ToStored.
std::optional<std::string> OpenFile(QWidget* owner, const std::string& caption,
                                    const std::string& directory, const std::string& filter);
std::optional<std::string> SaveFile(QWidget* owner, const std::string& caption,
                                    const std::string& directory, const std::string& filter);

}  // namespace Prompt
