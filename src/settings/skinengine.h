#pragma once

#include <QObject>
#include <QString>

namespace qv {

// Draws the windows from a skin. For now it only keeps its switches; the
// windows read them when they paint.
class SkinEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool Active = true;
    QString SkinDirectory;
    QString SkinName;
    bool ExtendedBorders = true;
    bool AllowGlowing = true;
    int HueOffset = 0;
};

} // namespace qv
