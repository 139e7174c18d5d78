// board/limits.h - every limit a client of the world board can meet, with its
// unit and its reason, in one place.
//
// Each is checked where the bytes or the work arrive, before anything is
// spent on them, and answered with one line saying which limit it was.
// --help and docs/board.md name the same limits.
#ifndef LANTERN_BOARD_LIMITS_H
#define LANTERN_BOARD_LIMITS_H

#include <chrono>
#include <cstddef>

namespace limits {

using std::chrono::seconds;

// ---- HTTP ------------------------------------------------------------------
// A request's line and headers (bytes). Browsers send under 2 KiB.
constexpr std::size_t kHeaderBytes = 8 * 1024;
// A request's body (bytes): the JSON of a submission whose replay is the
// largest a two-hour round makes: two fingers moving on a phone at every
// update write 25 bytes an update on the tape (measured with the game's tape
// writer), 10.8 MB for two hours, 14.4 MB as base64. Refused from its
// Content-Length, before it is read.
constexpr std::size_t kBodyBytes = 16 * 1024 * 1024;
// The bodies being read at once, together (bytes): each is counted at its
// declared length (or at kBodyBytes when it declares none) from its header
// on; a request that would go over is answered 503.
constexpr std::size_t kBodyMemory = 256 * 1024 * 1024;
// The line and headers of a request must arrive within this: a client sending
// a byte a second holds its connection no longer. It runs from the end of the
// last answer, so it is also how long a kept-alive connection may stay idle.
constexpr seconds kHeaderTime{10};
// Its body within this (16 MiB at 280 KB/s; a five-minute round's few
// kilobytes at any speed).
constexpr seconds kBodyTime{60};
// An answer must be taken by the client within this.
constexpr seconds kWriteTime{30};
// Connections open at once; a further one is closed as soon as it is taken.
constexpr int kConnections = 4000;
// Of them, from one address (many players may share one behind a NAT).
constexpr int kConnectionsPerAddress = 1000;

// ---- Rounds ----------------------------------------------------------------
// The longest round the board plays again (updates): two hours at 60 a
// second. A longer one is refused before it is played.
constexpr long kRoundUpdates = 2L * 60 * 60 * 60;
// Rounds stored and waiting for a checking process; beyond this a new one is
// answered 503.
constexpr std::size_t kQueuedRounds = 512;
// How long a submission waits for its check before it is answered 202 (the
// round is stored, and GET /api/rounds/{id} follows it).
constexpr seconds kAnswerWait{4};
// A round's CPU time in its checking process: a base for the round's start
// and the way back to the menu, and a share per update, about five times
// what an update of a full maze costs on the development machine (22 us).
// The checked build (sanitizers) is given ten times as much.
constexpr double kCheckBaseSeconds = 1.0;
constexpr double kCheckSecondsPerUpdate = 100e-6;
// Its wall-clock time: the CPU budget times this, and this many seconds more
// (a process that waits on nothing yet takes no CPU is caught by this).
constexpr double kCheckWallFactor = 4.0;
constexpr double kCheckWallSlack = 10.0;
// A checking process's memory (address space, bytes); off in the checked
// build, whose shadow memory needs terabytes of address space.
constexpr long kCheckerMemory = 1024L * 1024 * 1024;
// A checking process must be ready within this (seconds) of its start.
constexpr double kCheckerStart = 60.0;

// ---- Clients ---------------------------------------------------------------
// Updates of submitted rounds one client address may have checked per minute
// (--rate-limit): about four minutes of the checking of one core, or 33
// five-minute rounds. A client may spend a minute's worth at once; a round
// longer than that is taken when the allowance is full, which then goes
// below nothing and refills at the same rate.
constexpr long kRateUpdatesPerMinute = 600000;
// What any submission costs at the least (updates), so that a flood of small
// or refused ones is limited too.
constexpr long kSubmissionCost = 600;

// ---- Reads -----------------------------------------------------------------
// Rows of a board in one answer: at most, and when not asked for.
constexpr int kPageRowsMax = 100;
constexpr int kPageRowsDefault = 10;

// ---- Names and keys --------------------------------------------------------
// A name's length as a reader counts it (grapheme clusters).
constexpr int kNameMin = 1;
constexpr int kNameMax = 16;
// A name's bytes as sent, before anything is made of it.
constexpr std::size_t kNameBytes = 256;
// A key: URL-safe base64 or hex characters, at least 128 bits' worth.
constexpr std::size_t kKeyMin = 22;
constexpr std::size_t kKeyMax = 128;

}  // namespace limits

#endif
