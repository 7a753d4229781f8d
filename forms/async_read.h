// The rules of the container's asynchronous read (an http or https address,
// or a file, into a byte array) that need no platform: what a path names,
// what the options ask of the cache, how much may arrive, and whether what
// arrived is the whole of it. The Win32 layer (async_read_win32) does the
// transfer on a worker thread and asks these.
//
// A read reports progress with a status value (ReadStatus) and ends in one of
// two ways: status Failed, with no completion; or status Finished, followed at
// once by the completion with every byte that arrived.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Status values of a progress report; never renumber (0 is the one a control
// tests for). Each read reports them in this order, each at most once except
// Receiving:
enum class ReadStatus : int {
    // The read failed and is over; no completion follows. The report's fault
    // says why.
    Failed = 0,
    // The source answered: an http 2xx status with its headers, or the file
    // opened. bytesTotal is the announced length (0 when none was announced).
    Connected = 1,
    // Bytes are arriving: bytesRead counts them so far. Reports are merged
    // while the receiver is busy, so there is no report per network packet.
    Receiving = 2,
    // Every announced byte arrived (or, with no announced length, the source
    // ended cleanly); the completion with the bytes follows at once.
    Finished = 3,
};

// Why a read failed (with status Failed; None otherwise).
enum class ReadFault : int {
    None = 0,
    Open = 1,        // no connection, name not found, file missing or locked; code: the system error
    HttpStatus = 2,  // the server answered with a status other than 2xx; code: that status
    TooLarge = 3,    // the announced length, or what arrived, passes kMaxReadBytes
    Short = 4,       // the source ended before its announced length arrived
    Long = 5,        // more arrived than was announced
    Read = 6,        // a read failed midway (a reset connection, a receive timeout); code: the system error
};

// The most a read may bring; a larger one fails with TooLarge. Far more than
// any banner or picture a control loads, small enough that a hostile server
// cannot make the process swallow its memory.
constexpr std::uint32_t kMaxReadBytes = 64u * 1024 * 1024;

// Read option: when the network fails, use a copy from the system's
// internet cache if it has one. Without it a read always goes to the source
// and leaves nothing in the cache.
constexpr unsigned kReadCacheIfNetFails = 0x80000;

// Addresses longer than this are refused (the common limit of URL handling).
constexpr std::size_t kMaxReadPathBytes = 2048;

enum class ReadSource {
    Unsupported,  // empty, too long, control characters, or a scheme other than http, https and file
    Http,         // location: the address as given
    File,         // location: a file system path (from a file: URL, backslashes and %XX decoded)
};

struct ReadTarget {
    ReadSource source = ReadSource::Unsupported;
    std::string location;
};

// What a path names. "http://" and "https://" (any letter case) go to the
// network; "file:///C:/dir/x.gif" and "file://server/share/x.gif" become
// "C:\dir\x.gif" and "\\server\share\x.gif"; a path without a scheme
// ("C:\x.gif", "\\server\share\x.gif", "x.gif") is a file path as it stands.
// A scheme is two or more letters, digits, '+', '-' or '.' before a ':'
// (starting with a letter); one letter is a drive.
ReadTarget ClassifyReadPath(std::string_view path);

struct CachePolicy {
    bool reload;         // go to the source even when the cache holds a fresh copy
    bool writeCache;     // keep what arrives in the cache
    bool cacheFallback;  // when the source cannot be reached, try the cache alone
};
// Without kReadCacheIfNetFails: reload, do not write the cache, no fallback.
// With it: revalidate with the source (an unchanged copy may come from the
// cache), keep what arrives, and fall back to the cache when the source
// cannot be reached. Other option bits are ignored.
CachePolicy CachePolicyFor(unsigned options);

// An http Content-Length value: decimal digits with optional blanks around
// them. Nothing for anything else (signs, a list, an empty value); a value
// beyond 64 bits reads as the largest one, which any cap refuses.
std::optional<std::uint64_t> ParseContentLength(std::string_view text);

// True for the 2xx statuses.
constexpr bool IsSuccessStatus(unsigned long status) { return status >= 200 && status <= 299; }

// Counts what arrives for one read against the cap and the announced length.
class ReadLedger {
public:
    explicit ReadLedger(std::uint32_t cap = kMaxReadBytes) : cap_(cap) {}
    // The announced length, if any; false (TooLarge) when it passes the cap.
    bool Announce(std::optional<std::uint64_t> length);
    // n more bytes arrived; false (TooLarge) when the total would pass the cap.
    // The refused bytes are not counted.
    bool Add(std::size_t n);
    // The fault of a source that ended cleanly now: None, Short or Long.
    ReadFault AtEnd() const;
    std::uint32_t Received() const { return received_; }
    // The announced length (0 when none).
    std::uint32_t Announced() const { return announced_.value_or(0); }

private:
    std::uint32_t cap_;
    std::optional<std::uint32_t> announced_;
    std::uint32_t received_ = 0;
};
