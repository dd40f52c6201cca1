#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The console's text as it is kept between runs: at most this many lines and bytes.
inline constexpr std::size_t kTranscriptMaxLines = 10000;
inline constexpr std::size_t kTranscriptMaxBytes = std::size_t{1} << 20;

// The part of a console text (CR LF between lines) that is kept: an empty '?' prompt on the
// last line is left out, since the next start writes its own; then only the last lines that
// fit both bounds, dropped at whole lines. A last line longer than the byte bound alone keeps
// the lines before it that fit and, after them, as much of its start as the bound leaves room
// for, cut before a UTF-8 sequence rather than in it. A NUL byte, which would end the stored
// text, becomes the lost-character byte 0x1A.
// Other bounds than the kept console's are for tests, which reach them with short texts.
std::string TranscriptOf(std::string_view strConsole, std::size_t nMaxLines = kTranscriptMaxLines,
                         std::size_t nMaxBytes = kTranscriptMaxBytes);

// When the kept text is saved next, in milliseconds of a steady clock: two seconds after the
// edits pause, and at the latest two seconds after an edit that added or removed lines (an
// Enter writes a result and a prompt) or ten seconds after the first unsaved edit, so that
// steady typing cannot put a save off for ever.
class CSaveSchedule
{
public:
    static constexpr std::int64_t kPauseMs = 2000;
    static constexpr std::int64_t kLatestMs = 10000;

    // After an edit at nNowMs: the delay until the save.
    std::int64_t OnEdit(std::int64_t nNowMs, bool bLinesChanged);
    // After a save, whether or not it succeeded.
    void OnSaved() { m_nDeadlineMs = -1; }

private:
    std::int64_t m_nDeadlineMs = -1; // the latest time of the next save; -1: nothing unsaved
};
