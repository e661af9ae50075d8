#pragma once
// The per-user settings store on QSettings: the key path names a group, value names are
// matched without regard to letter case, values are kept as Unicode text.

#include <QSettings>
#include <memory>

#include "ui/settings_store.h"

namespace nivex::qt {

class QtSettingsStore : public ui::SettingsStore {
  public:
    QtSettingsStore();                                 // the user's own store
    explicit QtSettingsStore(const QString& iniFile);  // a store in one file

    std::string read(const std::string& keyPath, const std::string& name) override;
    void write(const std::string& keyPath, const std::string& name,
               const std::string& value) override;
    bool deleteAll(const std::string& keyPath) override;

  private:
    // The stored spelling of a value name, or an empty string.
    QString storedName(const QString& name);
    std::unique_ptr<QSettings> settings_;
};

}  // namespace nivex::qt
