#pragma once

#include "shortcut.h"

#include <QObject>

namespace qv {

class GlobalHotkeys : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    bool available() const { return false; }
    virtual bool registerHotkey(int, shortcut::Value) { return false; }
    virtual void unregisterHotkey(int) {}
signals:
    void hotkeyPressed(int modifiers, int keyCode);
};

} // namespace qv
