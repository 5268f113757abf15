// The reliability scenarios: each one drives VeskSerial against vesk-sim or a
// pseudo-terminal the test plays, through one kind of load or fault, and
// returns what it counted and timed. The suite asserts on the counts with
// small numbers; the soak program runs the full numbers and reports the
// figures, timings included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vesk::reliability {

// How much slower this build runs than a plain one: sanitizer builds divide
// their counts by it.
int SanitizerSlowdown();

// Read All round trips against vesk-sim. Before the first, and then before
// every `writeEvery`-th, comes a Write All of new random settings; every Read
// All reply must carry the settings last written.
struct RoundTripRun {
    std::vector<std::string> simArgs;
    int reads = 0;
    int writeEvery = 0;  // 0: only the first read is preceded by a write
    std::uint64_t seed = 1;
};

struct RoundTripFigures {
    bool started = false;  // vesk-sim ran and the port opened
    int requests = 0;      // reads and writes
    int writes = 0;
    int sendFailures = 0;
    int good = 0;           // good replies carrying the expected settings
    int wrongSettings = 0;  // good replies carrying anything else
    int badChecksum = 0;    // replies reported as damaged
    int missing = 0;        // requests that got no notification at all
    int unexpected = 0;     // notifications beyond one per request
    double seconds = 0;
    double slowestReplyMs = 0;
};

RoundTripFigures RunRoundTrips(const RoundTripRun& run);

// Open, Read All, Close, `cycles` times on one endpoint.
struct CycleFigures {
    bool started = false;
    int cycles = 0;
    int failedOpens = 0;
    int missingReplies = 0;
    std::size_t descriptorsBefore = 0, descriptorsAfter = 0;
    std::size_t threadsBefore = 0, threadsAfter = 0;
    double seconds = 0;
};

CycleFigures RunOpenCloseCycles(int cycles);

// The module goes away: the test closes the pty master it plays the module
// on, or vesk-sim is killed with SIGKILL; with a request outstanding or idle
// after a good round trip. Then a module comes back on the same COM number.
enum class UnplugWay { kCloseMaster, kKillSimulator };

struct UnplugFigures {
    bool started = false;
    bool requestSent = false;
    int portLost = 0;            // kPortLost notifications, waited for and then lingered on
    int otherNotifications = 0;  // anything else after the unplug
    double lostAfterMs = -1;     // from the unplug to the notification
    double idleCpuSeconds = 0;   // process CPU time over the idle period after it
    double idleSeconds = 0;
    bool sendRefused = false;  // Read All on the lost port returns false
    bool reopened = false;
    bool answeredAfterReopen = false;
};

UnplugFigures RunUnplug(UnplugWay way, bool requestOutstanding);

// A module that stops reading (vesk-sim --stall): `requests` Read All, enough
// to fill the line several times, then one Send of a large block, then Close.
// A write that times out purges the output and fails the send, so each fill
// costs one refused request, and the next goes into the emptied line.
struct StallFigures {
    bool started = false;
    int acceptedRequests = 0;
    int refusedRequests = 0;
    double slowestSendSeconds = 0;
    double requestsSeconds = 0;
    std::size_t blockBytes = 0;
    bool blockAccepted = false;  // the large Send's result
    double blockSendSeconds = 0;
    int notifications = 0;  // anything posted: a stalled module never answers
    double closeMs = 0;
};

StallFigures RunStalledWrites(int requests);

// `bytes` random bytes from the module side, one byte of idle line, then a valid
// reply. Framing-heavy garbage draws half its bytes from 0xAF, 0x0D and 0x0A,
// so frames start, close and fail all the time. The notifications must be exactly those a reference
// ReplyAssembler gives for the same bytes, then one good reply with its settings.
struct GarbageFigures {
    bool started = false;
    std::size_t bytes = 0;
    int referenceGood = 0, referenceBad = 0;  // what the random bytes themselves form
    bool notificationsMatch = false;
    bool finalReplyDecoded = false;
    long residentGrowthKiB = 0;
    double seconds = 0;
};

GarbageFigures RunGarbage(std::size_t bytes, std::uint64_t seed, bool framingHeavy = false);

// The PC side at `pcBaud` against vesk-sim at 9600: `requests` Read All, none
// may be answered; then the PC switches to 9600 and is answered.
struct WrongSpeedFigures {
    bool started = false;
    int requests = 0;
    int good = 0;
    int otherNotifications = 0;
    bool answeredAtRightSpeed = false;
};

WrongSpeedFigures RunWrongSpeed(int pcBaud, int requests);

// Another process holds the port with flock.
struct ContentionFigures {
    bool started = false;
    bool holderLocked = false;
    bool listedWhileHeld = false;
    bool openedWhileHeld = false;
    bool listedAfter = false;
    bool openedAfter = false;
};

ContentionFigures RunContention();

}  // namespace vesk::reliability
