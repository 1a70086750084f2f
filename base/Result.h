// A small result type shaped like std::expected (which g++ 12 only offers under C++23).
// Fallible routines of every layer return it; no exception crosses a library boundary.
#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace tarnwerk {

// What went wrong, independent of how a front-end words it. Errors carry parameters (the
// file, the system's error number), never sentences: app/Messages.cpp gives every code its
// texts in the user's language.
enum class ErrorCode {
    NoCarrier,          // no carrier chosen
    NoPayload,          // no data file / output chosen
    PayloadTooLarge,    // capacity test failed
    EndMarkerInData,    // the prepared payload holds the end marker: it would come back cut short
    ShortColourTable,   // an 8-bit bitmap whose colour table has fewer than 256 entries
    CarrierShrank,      // the carrier became shorter while data was written into it
    NoDataFound,        // no begin marker for 1, 2 or 4 bits
    CarrierBusy,        // another process is writing this carrier
    Io,                 // a file could not be opened, read or written (number: errno)
    CorruptData,        // stored data is damaged or not in the expected layout
    WrongKey,           // decryption's size check or authentication failed
    Unrepresentable,    // a text holds a character the single-byte code page cannot store
    Cancelled,          // the user cancelled
    NotRegularFile,     // a file name belongs to a FIFO, a device or a folder
    NoSamplePlane,      // the carrier has no grid of samples (palette picture, RAW): stealth refused
    CarrierTooSmall,    // the picture is too small (or too large) for the stealth method's regions
    NothingFound,       // stealth: wrong passphrase, clean, damaged or cropped carrier (one answer)
    EmptyInput,         // an empty file where data is needed
    TooLargeForFormat,  // the data is larger than the stored format can describe
    FileEndedEarly,     // a file was shorter than expected (or became shorter meanwhile)
    OutputExists,       // the output exists and may not be replaced
    OutOfMemory,        // the memory a step needs could not be had
    CryptoUnavailable,  // the cryptography library could not be initialised
    ArchiveFailed,      // the mail archive could not be written (number: errno, if any)
    SameFile,           // a hide's new file would be the carrier itself
    CarrierRefused,     // the carrier can be read but not hidden into (animated, transparent colours, palette PNG)
    Internal,           // a programmer error surfaced at run time
};

struct Error {
    ErrorCode code = ErrorCode::Internal;
    std::string path;  // file concerned, if any
    int number = 0;    // system error number (errno) where there is one
};

inline Error MakeError(ErrorCode code, std::string path = {}, int number = 0) {
    return Error{code, std::move(path), number};
}

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}      // NOLINT: implicit by design, like std::expected
    Result(Error error) : state_(std::move(error)) {}  // NOLINT

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    T& value() & {
        assert(ok());
        return std::get<T>(state_);
    }
    const T& value() const& {
        assert(ok());
        return std::get<T>(state_);
    }
    T&& value() && {
        assert(ok());
        return std::get<T>(std::move(state_));
    }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const Error& error() const {
        assert(!ok());
        return std::get<Error>(state_);
    }

private:
    std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), ok_(false) {}  // NOLINT

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Error& error() const {
        assert(!ok_);
        return error_;
    }

private:
    Error error_;
    bool ok_ = true;
};

using Status = Result<void>;

}  // namespace tarnwerk
