#include "Help.h"

#include "Launch.h"
#include "Paths.h"
#include "Prompt.h"
#include "RunConfig.h"

namespace Help {
std::string PageFor(const std::string& helpFile, int context) {
    if (context <= 0) return helpFile;
    return helpFile + "#context-" + std::to_string(context);
}

namespace {
bool OpenPage(const std::string& page) {
    if (page.empty() || page[0] == '#') {
        Prompt::Message(nullptr, "The help pages were not found beside the program.", "Help",
                        Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return false;
    }
    return Launch::OpenHelpPage(page);
}
}  // namespace

bool Open(int context) {
    return OpenPage(PageFor(Config().helpFilePath, context));
}

bool OpenUsingHelp() {
    return OpenPage(Paths::Find("help/using.html"));
}
}  // namespace Help
