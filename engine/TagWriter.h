#pragma once

#include <string>

#include "engine/CConversionTask.h"
#include "engine/JobObserver.h"

namespace snipster {

// Names the program in the encoder field of every tag it writes.
inline constexpr char kEncoderText[] = "Snipster\r\nhttps://snipster.quorbin.com";

// Gives the finished output file at path the tag kinds of the task's source, filled from the
// task's tag texts, and removes every other tag kind. Sets task.tagKindsToWrite. When the file
// cannot be saved the failure is logged and false returned; the job goes on.
bool WriteTags(CConversionTask& task, const std::string& path, JobObserver& observer);

// The decimal number at the start of text; 0 when it starts with no digit.
unsigned LeadingNumber(const std::string& text);

}  // namespace snipster
