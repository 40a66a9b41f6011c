#include "servers.h"

#include "paths.h"

#include <QSettings>
#include <optional>

namespace qv {
namespace {
std::optional<Servers> loaded;
}

Servers Servers::defaults() {
    return {
        QStringLiteral("http://www.quorvell.example"),
        QStringLiteral("http://%1.quorvell.example/favorites/"),
        QStringLiteral("http://radio.quorvell.example"),
        QStringLiteral("http://update.halvane.example"),
        QStringLiteral("http://www2.halvane.example"),
        QStringLiteral("http://www.halvane.example"),
        QStringLiteral("http://www.quorvell.example/user/halvane/"),
        QStringLiteral("contact@halvane.example"),
        QStringLiteral("support@halvane.example"),
    };
}

Servers Servers::load(const QString& iniPath) {
    Servers s = defaults();
    const QSettings ini(iniPath, QSettings::IniFormat);
    const auto read = [&ini](const char* key, QString& value) {
        const QString text = ini.value(QStringLiteral("Servers/") + QLatin1String(key)).toString();
        if (!text.isEmpty())
            value = text;
    };
    read("Portal", s.portal);
    read("FavoritesPage", s.favoritesPage);
    read("Radio", s.radio);
    read("Update", s.update);
    read("Counter", s.counter);
    read("Homepage", s.homepage);
    read("MakerPage", s.makerPage);
    read("ContactMail", s.contactMail);
    read("SecondMail", s.secondMail);
    // Paths are appended to these bases, so they never end in '/'.
    for (QString* base : {&s.portal, &s.radio, &s.update, &s.counter}) {
        while (base->endsWith(QLatin1Char('/')))
            base->chop(1);
    }
    return s;
}

const Servers& Servers::current() {
    if (!loaded)
        loaded = load(paths::exeFile(QStringLiteral("servers.ini")));
    return *loaded;
}

void Servers::setCurrent(const Servers& servers) {
    loaded = servers;
}

QString Servers::favoritesAddress(const QString& loginName) const {
    QString address = favoritesPage;
    return address.replace(QStringLiteral("%1"), loginName);
}

QString Servers::radioAddress(int port) const {
    return QStringLiteral("%1:%2/").arg(radio).arg(port);
}

} // namespace qv
