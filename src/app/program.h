// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

namespace qv {

class Form1;
class InstanceGuard;
class MediaPlayer;

enum class UpdateCheck { Run, Skip };

// Brings the application up: names it, creates the main window (which shows
// itself), then every secondary window in their fixed order, and finally runs
// the update check under its splash (tests of other parts skip it). The
// caller runs the event loop; closing the main window ends it.
std::unique_ptr<Form1> startProgram(std::unique_ptr<MediaPlayer> player,
                                    UpdateCheck check = UpdateCheck::Run);

// A later start in the installation folder brings the main window back, as
// the tray's "Show window" does, also one that asked while the program was
// still starting. Once the main window has closed, later starts wait for this
// process to end.
void answerLaterStarts(InstanceGuard& guard, Form1& form1);

} // namespace qv
