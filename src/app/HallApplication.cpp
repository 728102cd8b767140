#include "app/HallApplication.h"

#include "platform/Prompt.h"
#include "core/StatusFields.h"
#include "core/xmsg.h"

bool HallApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const xmsg& e) {
        Prompt::Message(nullptr, e.why(), "Exception:", Prompt::Buttons::Ok, Prompt::Icon::Stop);
    } catch (bool) {
        // An abort that reached no measurement: there is nothing left to stop.
        if (status_) status_->SetText("Cancelled");
    } catch (const std::exception& e) {
        Prompt::Message(nullptr, e.what(), "Exception:", Prompt::Buttons::Ok, Prompt::Icon::Stop);
    }
    return false;
}
