#pragma once

namespace snipster {

// The icon of a message box. Plain, so that the engine can ask for a box without a window.
enum class MessageIcon { None, Error, Warning, Information, Question };

}  // namespace snipster
