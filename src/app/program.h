#pragma once

#include <memory>

namespace qv {

class Form1;
class MediaPlayer;

// Brings the application up: names it, creates the main window (which shows
// itself), then every secondary window in their fixed order. The caller runs
// the event loop; closing the main window ends it.
std::unique_ptr<Form1> startProgram(std::unique_ptr<MediaPlayer> player);

} // namespace qv
