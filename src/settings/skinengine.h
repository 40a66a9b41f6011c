#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace qv {

// Draws the windows from a skin. For now it only keeps its switches; the
// windows read them when they paint.
class SkinEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    static inline const QString kBuiltInSkin = QStringLiteral("WMP 2008");

    void setActive(bool on) { Active = on; }
    void setSkinDirectory(const QString& dir) { SkinDirectory = dir; }
    void setSkinName(const QString& name) { SkinName = name; }
    void setExtendedBorders(bool on) { ExtendedBorders = on; }
    void setAllowGlowing(bool on) { AllowGlowing = on; }
    void setHueOffset(int degrees) { HueOffset = degrees; }
    static QStringList listSkins(const QString&) { return {}; }

    bool Active = true;
    QString SkinDirectory;
    QString SkinName;
    bool ExtendedBorders = true;
    bool AllowGlowing = true;
    int HueOffset = 0;
};

} // namespace qv
