// Debug output. The program's debug texts (frame traces, thread exit texts)
// go nowhere unless R730_TRACE names a file to append them to, or "-" for
// standard error. Tests may install their own sink.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Writes one debug text (a line break is added by the sink).
void DebugTrace(std::string_view text);

// True when some sink receives the texts; lets callers skip formatting work.
bool DebugTraceEnabled();

// Replaces the sink. An empty function restores the R730_TRACE behaviour.
using DebugTraceSink = std::function<void(std::string_view)>;
void SetDebugTraceSink(DebugTraceSink sink);

// Points the R730_TRACE behaviour at a target ("-" or a file path; empty: off).
void SetDebugTraceTarget(const std::string& target);
