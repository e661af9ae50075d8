#include "qt/qt_settings.h"

#include <QStringList>

#include "qt/qt_text.h"

namespace nivex::qt {
namespace {

// "\Nivex" -> "Nivex": QSettings separates groups with '/'.
QString groupOf(const std::string& keyPath) {
    QString group = qtext(keyPath);
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (group.startsWith(QLatin1Char('/')))
        group.remove(0, 1);
    while (group.endsWith(QLatin1Char('/')))
        group.chop(1);
    return group;
}

class GroupScope {
  public:
    GroupScope(QSettings& s, const QString& group) : s_(s) { s_.beginGroup(group); }
    ~GroupScope() { s_.endGroup(); }

  private:
    QSettings& s_;
};

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Nivex"), QStringLiteral("Nivex"))) {}

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

QString QtSettingsStore::storedName(const QString& name) {
    const QStringList keys = settings_->childKeys();
    for (const QString& key : keys)
        if (key.compare(name, Qt::CaseInsensitive) == 0) return key;
    return {};
}

std::string QtSettingsStore::read(const std::string& keyPath, const std::string& name) {
    GroupScope scope(*settings_, groupOf(keyPath));
    const QString key = storedName(qtext(name));
    if (key.isEmpty()) return {};
    // The values are folder names: native (UTF-8) text like every path of the program.
    return settings_->value(key).toString().toStdString();
}

void QtSettingsStore::write(const std::string& keyPath, const std::string& name,
                            const std::string& value) {
    {
        GroupScope scope(*settings_, groupOf(keyPath));
        // One value per name whatever its spelling.
        for (QString old = storedName(qtext(name)); !old.isEmpty(); old = storedName(qtext(name)))
            settings_->remove(old);
        settings_->setValue(qtext(name), QString::fromStdString(value));
    }
    settings_->sync();  // a failed write is skipped silently
}

bool QtSettingsStore::deleteAll(const std::string& keyPath) {
    const QString group = groupOf(keyPath);
    if (group.isEmpty()) {
        settings_->clear();
    } else {
        settings_->remove(group);
    }
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

}  // namespace nivex::qt
