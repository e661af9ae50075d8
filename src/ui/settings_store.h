#pragma once
// The per-user settings store: string values under a key, value names compared without
// regard to letter case. Reading never fails; a failed write is skipped silently.

#include <map>
#include <string>

namespace nivex::ui {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The value, or "" when the key or the value is missing or unreadable.
    virtual std::string read(const std::string& keyPath, const std::string& name) = 0;
    virtual void write(const std::string& keyPath, const std::string& name,
                       const std::string& value) = 0;
    // Deletes the key with all its values; whether that succeeded.
    virtual bool deleteAll(const std::string& keyPath) = 0;
};

// A store held in memory: for tests and for runs that must not touch the user's settings.
class MemorySettings : public SettingsStore {
  public:
    std::string read(const std::string& keyPath, const std::string& name) override;
    void write(const std::string& keyPath, const std::string& name,
               const std::string& value) override;
    bool deleteAll(const std::string& keyPath) override;

    bool hasKey(const std::string& keyPath) const { return keys_.count(keyPath) != 0; }

  private:
    static std::string fold(const std::string& name);
    std::map<std::string, std::map<std::string, std::string>> keys_;
};

}  // namespace nivex::ui
