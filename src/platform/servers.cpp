// SPDX-License-Identifier: GPL-3.0-or-later
#include "servers.h"

#include "logging.h"
#include "paths.h"

#include <QSettings>
#include <algorithm>
#include <optional>

namespace qv {
namespace {
std::optional<Servers> loaded;

// The keys of section [Servers], in the order a written file lists them:
// each holds either an address (text) or a port (number).
struct Key {
    const char* name;
    QString Servers::*text = nullptr;
    int Servers::*port = nullptr;
};
const Key kKeys[] = {
    {"Portal", &Servers::portal},
    {"FavoritesPage", &Servers::favoritesPage},
    {"Radio", &Servers::radio},
    {"RadioPort", nullptr, &Servers::radioPort},
    {"RadioDialUpPort", nullptr, &Servers::radioDialUpPort},
    {"Update", &Servers::update},
    {"Counter", &Servers::counter},
    {"Homepage", &Servers::homepage},
    {"MakerPage", &Servers::makerPage},
    {"ContactMail", &Servers::contactMail},
    {"SecondMail", &Servers::secondMail},
    {"UpdateKey", &Servers::updateKey},
};

// A port as typed by hand: a whole number from 1 to 65535, blanks around it
// allowed; anything else is no port.
std::optional<int> portFrom(const QString& text) {
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

// A value as QSettings reads it back: plain addresses stay readable; anything
// QSettings would take apart (a comma makes a list, ';' and quotes are
// syntax, blanks are trimmed) is quoted with its backslashes and quotes
// escaped, and line breaks are escaped so the value stays on its line.
QByteArray iniValue(const QString& value) {
    QByteArray bytes = value.toUtf8();
    // A leading '@' marks a typed value for QSettings; "@@" stands for '@'.
    if (bytes.startsWith('@'))
        bytes.prepend('@');
    const bool plain = std::all_of(bytes.cbegin(), bytes.cend(), [](char c) {
        return c > ' ' && c < 0x7f && !QByteArrayView(R"(",;=#\)").contains(c);
    });
    if (plain)
        return bytes;
    bytes.replace('\\', "\\\\").replace('"', "\\\"");
    bytes.replace('\r', "\\r").replace('\n', "\\n");
    return '"' + bytes + '"';
}
} // namespace

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
        QString(), // no key: every installer is refused
    };
}

Servers Servers::load(const QString& iniPath) {
    Servers s = defaults();
    const QSettings ini(iniPath, QSettings::IniFormat);
    for (const Key& key : kKeys) {
        // An unquoted comma makes a list of the value; an address may hold one.
        const QVariant value = ini.value(QStringLiteral("Servers/") + QLatin1String(key.name));
        const QString text = value.typeId() == QMetaType::QStringList
                                 ? value.toStringList().join(QLatin1Char(','))
                                 : value.toString();
        if (key.port) {
            if (const auto port = portFrom(text))
                s.*key.port = *port;
            else if (!text.isEmpty())
                qCDebug(lcSettings, "servers.ini: %s=%s is no port; %d is used", key.name,
                        qPrintable(text), s.*key.port);
        } else if (!text.isEmpty()) {
            s.*key.text = text;
        }
    }
    // Paths are appended to these bases, so they never end in '/'.
    for (QString* base : {&s.portal, &s.radio, &s.update, &s.counter}) {
        while (base->endsWith(QLatin1Char('/')))
            base->chop(1);
    }
    return s;
}

QByteArray Servers::toIni() const {
    QByteArray text = QByteArrayLiteral("[Servers]\r\n");
    for (const Key& key : kKeys) {
        text += QByteArray(key.name) + '=' +
                (key.port ? QByteArray::number(this->*key.port) : iniValue(this->*key.text)) +
                "\r\n";
    }
    return text;
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
