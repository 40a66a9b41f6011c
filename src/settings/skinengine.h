// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settingkeys.h"

#include <QColor>
#include <QObject>
#include <QPalette>
#include <QString>
#include <QStringList>
#include <optional>

namespace qv {

// Draws every window of the program from a skin: a colour palette, the
// skin's own drawing of buttons, group boxes and list frames (SkinStyle), and
// a style sheet only when the skin brings one. All of it is set on the whole
// application, so windows made later are skinned too. Each setter applies at
// once, and only when the look really changes. A new engine is off and
// changes nothing until switched on.
//
// The skin file format is described in skins/README.md.
class SkinEngine : public QObject {
    Q_OBJECT
public:
    explicit SkinEngine(QObject* parent = nullptr);
    ~SkinEngine() override;

    static inline const QString kBuiltInSkin = QString::fromUtf8(settings::kSkinName.fallback);

    // Off: the application's own palette and style sheet, as they were before
    // the first skin was applied.
    bool Active() const { return active_; }
    void setActive(bool on);

    // Absolute, or relative to the program's directory (paths::exeDir()).
    QString SkinDirectory() const { return directory_; }
    void setSkinDirectory(const QString& dir);

    // The chosen name, kept as given so that it can be saved back. A name that
    // is not found in the skin directory, or that is not a plain name (a path
    // separator, a leading '.'), draws the built-in skin.
    QString SkinName() const { return name_; }
    void setSkinName(const QString& name);

    // Thicker borders on buttons and group boxes, and frames around lists.
    bool ExtendedBorders() const { return extendedBorders_; }
    void setExtendedBorders(bool on);

    // Buttons get a highlight-coloured border while the mouse is over them.
    bool AllowGlowing() const { return allowGlowing_; }
    void setAllowGlowing(bool on);

    // Rotates the hue of every colour of the skin; grey stays grey. 0..360 is
    // kept as given, anything else is wrapped into 0..359.
    int HueOffset() const { return hueOffset_; }
    void setHueOffset(int degrees);

    // The skins found in a directory: names of sub-directories holding a file
    // "Options.dat", and names of files whose extension is exactly ".asz" in
    // lower case (the part of the file name before its first dot), sorted by
    // name without regard to case. No built-in skins. A missing or empty
    // directory gives an empty list.
    static QStringList listSkins(const QString& directory);

    // The colour the current skin gives to a palette role (active group) after
    // the hue offset, whether or not the engine is on.
    QColor colour(QPalette::ColorRole role) const;

    // Holds the applying while several switches change, then applies once:
    // starting with six switches read from the settings costs one restyle.
    class [[nodiscard]] Hold {
    public:
        explicit Hold(SkinEngine& engine) : engine_(engine) { ++engine_.holds_; }
        ~Hold() {
            if (--engine_.holds_ == 0)
                engine_.apply();
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        SkinEngine& engine_;
    };

private:
    // A skin as read: colours before the hue offset, and its own sheet text.
    struct Skin {
        QPalette palette;
        QString sheet;
        QString imageDir; // for url(skin:...) in a directory skin's sheet
    };

    const Skin& skin() const;
    void apply();

    bool active_ = false;
    QString directory_;
    QString name_ = kBuiltInSkin;
    bool extendedBorders_ = true;
    bool allowGlowing_ = true;
    int hueOffset_ = 0;
    int holds_ = 0;

    // Read on first use and dropped when the name or directory changes.
    mutable std::optional<Skin> skin_;

    // What this engine last set on the application, and what was there before.
    bool applied_ = false;
    QPalette appliedPalette_;
    QString appliedSheet_;
    bool appliedExtendedBorders_ = false;
    bool appliedGlowing_ = false;
    QPalette originalPalette_;
    QPalette originalTipPalette_;
    QString originalSheet_;
    QString originalStyle_;
};

} // namespace qv
