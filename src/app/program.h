#pragma once

#include <memory>

namespace qv {

class Form1;
class MediaPlayer;

enum class UpdateCheck { Run, Skip };

// Brings the application up: names it, creates the main window (which shows
// itself), then every secondary window in their fixed order, and finally runs
// the update check under its splash (tests of other parts skip it). The
// caller runs the event loop; closing the main window ends it.
std::unique_ptr<Form1> startProgram(std::unique_ptr<MediaPlayer> player,
                                    UpdateCheck check = UpdateCheck::Run);

} // namespace qv
