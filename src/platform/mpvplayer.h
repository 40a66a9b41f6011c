// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mediaplayer.h"

#include <QStringList>
#include <memory>

namespace qv {

// The media player on libmpv. libmpv is loaded on first use (the first
// address handed over), never linked, so start-up does not pay for it.
class MpvPlayer : public MediaPlayer {
    Q_OBJECT
public:
    // extraOptions ("name=value") are applied after the built-in ones; tests
    // pass "ao=null".
    explicit MpvPlayer(QObject* parent = nullptr, QStringList extraOptions = {});
    ~MpvPlayer() override;

    // Whether libmpv can be loaded on this machine.
    static bool available();

    void setUrl(const QString& url) override;
    QString url() const override;
    PlayState playState() const override;
    Stop stopReason() const override;
    QString status() const override;
    void play() override;
    void pause() override;
    double currentPosition() const override;
    void setCurrentPosition(double seconds) override;
    int volume() const override;
    void setVolume(int volume) override;
    double duration() const override;
    QString durationString() const override;
    QString name() const override;

    // The text of one of libmpv's properties; empty when it has none or
    // before the engine started. For tests and diagnostics.
    QString engineProperty(const QString& name) const;

private:
    struct Engine;
    std::unique_ptr<Engine> engine_;
};

} // namespace qv
