// SPDX-License-Identifier: GPL-3.0-or-later
#include "skinengine.h"

#include "paths.h"
#include "skinstyle.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStyleFactory>
#include <QToolTip>
#include <algorithm>
#include <array>
#include <cmath>

namespace qv {
namespace {

struct RoleName {
    QLatin1StringView name;
    QPalette::ColorRole role;
};

constexpr std::array<RoleName, 20> kRoles{{
    {QLatin1StringView("Window"), QPalette::Window},
    {QLatin1StringView("WindowText"), QPalette::WindowText},
    {QLatin1StringView("Base"), QPalette::Base},
    {QLatin1StringView("AlternateBase"), QPalette::AlternateBase},
    {QLatin1StringView("Text"), QPalette::Text},
    {QLatin1StringView("PlaceholderText"), QPalette::PlaceholderText},
    {QLatin1StringView("Button"), QPalette::Button},
    {QLatin1StringView("ButtonText"), QPalette::ButtonText},
    {QLatin1StringView("BrightText"), QPalette::BrightText},
    {QLatin1StringView("Light"), QPalette::Light},
    {QLatin1StringView("Midlight"), QPalette::Midlight},
    {QLatin1StringView("Mid"), QPalette::Mid},
    {QLatin1StringView("Dark"), QPalette::Dark},
    {QLatin1StringView("Shadow"), QPalette::Shadow},
    {QLatin1StringView("Highlight"), QPalette::Highlight},
    {QLatin1StringView("HighlightedText"), QPalette::HighlightedText},
    {QLatin1StringView("Link"), QPalette::Link},
    {QLatin1StringView("LinkVisited"), QPalette::LinkVisited},
    {QLatin1StringView("ToolTipBase"), QPalette::ToolTipBase},
    {QLatin1StringView("ToolTipText"), QPalette::ToolTipText},
}};

// The built-in skin, in the same format as a skin file.
constexpr QLatin1StringView kBuiltInText(R"([Colors]
Window=#0e1726
WindowText=#dbe5f3
Base=#060a12
AlternateBase=#0f1a2b
Text=#e8eef8
PlaceholderText=#7d8ca3
Button=#1d3556
ButtonText=#eef3fb
BrightText=#ffffff
Light=#4a6d99
Midlight=#2c4a72
Mid=#22395a
Dark=#0a1220
Shadow=#000000
Highlight=#2f80d9
HighlightedText=#ffffff
Link=#6cb4ff
LinkVisited=#b08cff
ToolTipBase=#1d3556
ToolTipText=#eef3fb
)");

// Anything larger is not a skin; reading it whole would only cost memory.
constexpr qint64 kMaxSkinBytes = 1 << 20;

const QLatin1StringView kOptionsFile("Options.dat");
const QLatin1StringView kSheetFile("style.qss");
const QLatin1StringView kFileSuffix(".asz");

struct SkinText {
    QHash<int, QColor> colours;
    QString sheet;
};

// Sections are matched without regard to case; lines starting with ';' or '#'
// are comments; everything after a "[Sheet]" line is style sheet text.
// Unknown sections, keys and malformed lines are skipped.
SkinText parse(const QString& text) {
    static const QRegularExpression hexColour(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    SkinText skin;
    bool inColours = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            const QString section = line.mid(1, line.indexOf(QLatin1Char(']')) - 1).trimmed();
            if (section.compare(QLatin1StringView("Sheet"), Qt::CaseInsensitive) == 0) {
                skin.sheet = lines.mid(i + 1).join(QLatin1Char('\n'));
                break;
            }
            inColours = section.compare(QLatin1StringView("Colors"), Qt::CaseInsensitive) == 0 ||
                        section.compare(QLatin1StringView("Colours"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inColours || eq <= 0 || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        const auto known = std::find_if(kRoles.begin(), kRoles.end(), [&](const RoleName& r) {
            return key.compare(r.name, Qt::CaseInsensitive) == 0;
        });
        if (known != kRoles.end() && hexColour.match(value).hasMatch())
            skin.colours.insert(known->role, QColor(value));
    }
    return skin;
}

QColor mix(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

// The given colours over the fallback's, in every colour group; disabled text
// is dimmed towards its background so that it still reads as disabled.
QPalette makePalette(const QHash<int, QColor>& colours, const QPalette& fallback) {
    QPalette palette = fallback;
    for (const RoleName& r : kRoles) {
        if (const auto it = colours.find(r.role); it != colours.end())
            palette.setColor(QPalette::All, r.role, *it);
        else
            palette.setColor(QPalette::All, r.role, fallback.color(QPalette::Active, r.role));
    }
    const auto dim = [&](QPalette::ColorRole text, QPalette::ColorRole background) {
        palette.setColor(QPalette::Disabled, text,
                         mix(palette.color(text), palette.color(background)));
    };
    dim(QPalette::WindowText, QPalette::Window);
    dim(QPalette::Text, QPalette::Base);
    dim(QPalette::ButtonText, QPalette::Button);
    dim(QPalette::Highlight, QPalette::Window);
    return palette;
}

QColor rotated(const QColor& colour, int degrees) {
    const QColor hsv = colour.toHsv();
    if (degrees % 360 == 0 || hsv.hsvHueF() < 0)
        return colour; // grey has no hue to turn
    const float hue = std::fmod(hsv.hsvHueF() + float(degrees) / 360.0f, 1.0f);
    return QColor::fromHsvF(hue, hsv.hsvSaturationF(), hsv.valueF(), hsv.alphaF()).toRgb();
}

QPalette rotated(QPalette palette, int degrees) {
    if (degrees % 360 == 0)
        return palette;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (const RoleName& r : kRoles)
            palette.setColor(group, r.role, rotated(palette.color(group, r.role), degrees));
    }
    return palette;
}

// Colours written as #rgb or #rrggbb inside declaration blocks; outside them
// a '#' starts an object name ("QPushButton#add"), which must stay.
QString rotatedSheet(const QString& sheet, int degrees) {
    if (degrees % 360 == 0 || !sheet.contains(QLatin1Char('#')))
        return sheet;
    static const QRegularExpression colour(
        QStringLiteral("#([0-9A-Fa-f]{6}|[0-9A-Fa-f]{3})(?![0-9A-Za-z_-])"));
    QString out;
    out.reserve(sheet.size());
    int depth = 0;
    for (qsizetype i = 0; i < sheet.size(); ++i) {
        const QChar c = sheet[i];
        if (c == QLatin1Char('{'))
            ++depth;
        else if (c == QLatin1Char('}'))
            depth = std::max(0, depth - 1);
        if (c == QLatin1Char('#') && depth > 0) {
            const auto m = colour.match(sheet, i, QRegularExpression::NormalMatch,
                                        QRegularExpression::AnchorAtOffsetMatchOption);
            if (m.hasMatch()) {
                out += rotated(QColor(m.captured(0)), degrees).name();
                i += m.capturedLength(0) - 1;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// Qt drops the whole application sheet when any part of it does not parse, so
// a skin's own sheet with unbalanced braces is left out rather than taking
// the generated rules down with it.
bool balanced(const QString& sheet) {
    int depth = 0;
    for (const QChar c : sheet) {
        if (c == QLatin1Char('{'))
            ++depth;
        else if (c == QLatin1Char('}') && --depth < 0)
            return false;
    }
    return depth == 0;
}

bool plainName(const QString& name) {
    if (name.isEmpty() || name.size() > 255 || name.startsWith(QLatin1Char('.')))
        return false;
    return std::none_of(name.begin(), name.end(), [](QChar c) {
        return c == QLatin1Char('/') || c == QLatin1Char('\\') ||
               c.category() == QChar::Other_Control;
    });
}

// The name a file gives to its skin: the part before its first dot, for a file
// ending in exactly ".asz"; empty for any other file.
QString fileSkinName(const QString& fileName) {
    if (!fileName.endsWith(kFileSuffix, Qt::CaseSensitive))
        return {};
    return fileName.section(QLatin1Char('.'), 0, 0);
}

// A text file of at most kMaxSkinBytes without NUL bytes; nothing otherwise.
std::optional<QString> readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(kMaxSkinBytes + 1);
    if (bytes.size() > kMaxSkinBytes || bytes.contains('\0'))
        return std::nullopt;
    return QString::fromUtf8(bytes);
}

// The name to make the application's style again by: a style sheet's style
// has no name of its own, and Fusion is Qt's own default.
QString applicationStyleName() {
    const QString name = QApplication::style()->name();
    return name.isEmpty() ? QStringLiteral("fusion") : name;
}

// Qt 6.4 passes a new application palette on through the windows' native
// windows only: a window not shown yet, like a secondary window before its
// first opening, or one in the middle of being shown, would keep the colours
// it was made with. Telling a window twice changes nothing.
void setApplicationPalette(const QPalette& palette) {
    QApplication::setPalette(palette);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        QEvent change(QEvent::ApplicationPaletteChange);
        QCoreApplication::sendEvent(window, &change);
    }
}

} // namespace

SkinEngine::SkinEngine(QObject* parent) : QObject(parent) {}

// Leaves the application as it was found.
SkinEngine::~SkinEngine() {
    if (!applied_)
        return;
    holds_ = 0;
    active_ = false;
    apply();
}

void SkinEngine::setActive(bool on) {
    if (on == active_)
        return;
    active_ = on;
    apply();
}

void SkinEngine::setSkinDirectory(const QString& dir) {
    const QString resolved =
        dir.isEmpty() ? QString() : QDir::cleanPath(QDir(paths::exeDir()).absoluteFilePath(dir));
    if (resolved == directory_)
        return;
    directory_ = resolved;
    skin_.reset();
    apply();
}

void SkinEngine::setSkinName(const QString& name) {
    if (name == name_)
        return;
    name_ = name;
    skin_.reset();
    apply();
}

void SkinEngine::setExtendedBorders(bool on) {
    if (on == extendedBorders_)
        return;
    extendedBorders_ = on;
    apply();
}

void SkinEngine::setAllowGlowing(bool on) {
    if (on == allowGlowing_)
        return;
    allowGlowing_ = on;
    apply();
}

void SkinEngine::setHueOffset(int degrees) {
    if (degrees < 0 || degrees > 360)
        degrees = (degrees % 360 + 360) % 360;
    if (degrees == hueOffset_)
        return;
    hueOffset_ = degrees;
    apply();
}

QStringList SkinEngine::listSkins(const QString& directory) {
    if (directory.isEmpty())
        return {};
    const QDir dir(directory);
    QStringList names;
    for (const QFileInfo& entry :
         dir.entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot)) {
        if (entry.isDir()) {
            if (QFileInfo(entry.filePath() + QLatin1Char('/') + kOptionsFile).isFile())
                names << entry.fileName();
        } else if (const QString name = fileSkinName(entry.fileName()); !name.isEmpty()) {
            names << name;
        }
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int byCase = a.compare(b, Qt::CaseInsensitive);
        return byCase != 0 ? byCase < 0 : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

QColor SkinEngine::colour(QPalette::ColorRole role) const {
    return rotated(skin().palette.color(QPalette::Active, role), hueOffset_);
}

const SkinEngine::Skin& SkinEngine::skin() const {
    if (skin_)
        return *skin_;
    static const QPalette builtIn = makePalette(parse(kBuiltInText).colours, QPalette());
    skin_.emplace(Skin{builtIn, {}, {}});
    if (name_ == kBuiltInSkin || directory_.isEmpty() || !plainName(name_))
        return *skin_;

    // A directory skin first, then "NAME.asz", then the first "NAME.*.asz".
    const QDir dir(directory_);
    QString path;
    QString imageDir;
    QString extraSheet;
    if (const QString skinDir = dir.filePath(name_);
        QFileInfo(skinDir + QLatin1Char('/') + kOptionsFile).isFile()) {
        path = skinDir + QLatin1Char('/') + kOptionsFile;
        imageDir = skinDir;
        if (const QString qss = skinDir + QLatin1Char('/') + kSheetFile; QFileInfo(qss).isFile())
            extraSheet = readText(qss).value_or(QString());
    } else if (QFileInfo(dir.filePath(name_ + kFileSuffix)).isFile()) {
        path = dir.filePath(name_ + kFileSuffix);
    } else {
        QStringList files = dir.entryList(QDir::Files);
        files.sort();
        for (const QString& file : std::as_const(files)) {
            if (fileSkinName(file) == name_) {
                path = dir.filePath(file);
                break;
            }
        }
    }
    if (path.isEmpty())
        return *skin_;
    const std::optional<QString> text = readText(path);
    if (!text) {
        qWarning("Skin \"%s\" could not be read; using the built-in skin", qPrintable(name_));
        return *skin_;
    }
    const SkinText parsed = parse(*text);
    skin_->palette = makePalette(parsed.colours, builtIn);
    skin_->imageDir = imageDir;
    for (const QString& sheet : {parsed.sheet, extraSheet}) {
        if (balanced(sheet))
            skin_->sheet += sheet + QLatin1Char('\n');
        else
            qWarning("Skin \"%s\": a style sheet with unbalanced braces is left out",
                     qPrintable(name_));
    }
    return *skin_;
}

void SkinEngine::apply() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (holds_ > 0 || !app)
        return;
    if (!active_) {
        if (!applied_)
            return;
        applied_ = false;
        setApplicationPalette(originalPalette_);
        QToolTip::setPalette(originalTipPalette_);
        if (app->styleSheet() != originalSheet_)
            app->setStyleSheet(originalSheet_);
        QApplication::setStyle(originalStyle_);
        return;
    }

    if (!applied_) {
        originalPalette_ = QApplication::palette();
        originalTipPalette_ = QToolTip::palette();
        originalSheet_ = app->styleSheet();
        originalStyle_ = applicationStyleName();
    }
    const Skin& current = skin();
    const QPalette palette = rotated(current.palette, hueOffset_);
    QString sheet = rotatedSheet(current.sheet, hueOffset_);
    if (!originalSheet_.isEmpty())
        sheet.prepend(originalSheet_ + QLatin1Char('\n'));
    const bool restyle = !applied_ || extendedBorders_ != appliedExtendedBorders_ ||
                         allowGlowing_ != appliedGlowing_;
    if (!restyle && palette == appliedPalette_ && sheet == appliedSheet_)
        return;

    applied_ = true;
    appliedPalette_ = palette;
    appliedSheet_ = sheet;
    appliedExtendedBorders_ = extendedBorders_;
    appliedGlowing_ = allowGlowing_;
    QDir::setSearchPaths(QStringLiteral("skin"), current.imageDir.isEmpty()
                                                     ? QStringList()
                                                     : QStringList{current.imageDir});
    if (restyle) {
        QApplication::setStyle(
            new SkinStyle(QStyleFactory::create(originalStyle_), extendedBorders_, allowGlowing_));
    }
    setApplicationPalette(palette);
    QToolTip::setPalette(palette);
    // The palette first, then a sheet, even an unchanged one: a sheet's
    // palette(...) colours are taken when a widget is polished, and only
    // setting a sheet polishes every widget again. Without one, no style
    // sheet engine is set up at all.
    if (!sheet.isEmpty() || !app->styleSheet().isEmpty())
        app->setStyleSheet(sheet);
}

} // namespace qv
