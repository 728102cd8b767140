#include "core/FieldSet.h"

void FieldSet::Set(int id, const std::string& text) {
    auto it = fields_.find(id);
    if (it != fields_.end() && it->second == text) return;
    fields_[id] = text;
    emit changed(id, QString::fromStdString(text));
}

std::string FieldSet::Get(int id) const {
    auto it = fields_.find(id);
    return it == fields_.end() ? std::string() : it->second;
}

void FieldSet::Clear() {
    for (auto& [id, text] : fields_) {
        if (text.empty()) continue;
        text.clear();
        emit changed(id, QString());
    }
}
