#include "ui/settings_store.h"

#include <cctype>

namespace nivex::ui {

std::string MemorySettings::fold(const std::string& name) {
    std::string out = name;
    for (auto& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string MemorySettings::read(const std::string& keyPath, const std::string& name) {
    auto key = keys_.find(keyPath);
    if (key == keys_.end()) return {};
    auto value = key->second.find(fold(name));
    return value == key->second.end() ? std::string() : value->second;
}

void MemorySettings::write(const std::string& keyPath, const std::string& name,
                           const std::string& value) {
    keys_[keyPath][fold(name)] = value;
}

bool MemorySettings::deleteAll(const std::string& keyPath) {
    keys_.erase(keyPath);
    return true;
}

}  // namespace nivex::ui
