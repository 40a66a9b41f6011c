#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace qv {

// Draws the windows from a skin. For now it only keeps its switches.
class SkinEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    static inline const QString kBuiltInSkin = QStringLiteral("WMP 2008");

    bool Active() const { return active_; }
    void setActive(bool on) { active_ = on; }
    QString SkinDirectory() const { return directory_; }
    void setSkinDirectory(const QString& dir) { directory_ = dir; }
    QString SkinName() const { return name_; }
    void setSkinName(const QString& name) { name_ = name; }
    bool ExtendedBorders() const { return borders_; }
    void setExtendedBorders(bool on) { borders_ = on; }
    bool AllowGlowing() const { return glowing_; }
    void setAllowGlowing(bool on) { glowing_ = on; }
    int HueOffset() const { return hue_; }
    void setHueOffset(int degrees) { hue_ = degrees; }
    static QStringList listSkins(const QString&) { return {}; }

private:
    bool active_ = true;
    QString directory_;
    QString name_;
    bool borders_ = true;
    bool glowing_ = true;
    int hue_ = 0;
};

} // namespace qv
