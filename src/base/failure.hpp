// The one way to fail below the stages that print their own message: a
// value that carries its message, and where in the input the fault lies.
// The stages (the loader, the packer, the codecs, the writer, the renderer's
// driver) print "Error, " and the message and return false, as they always
// have; what they call returns an Expected<T> or a Status.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace pelmo {

struct Failure {
    // The words after "Error, ", without the line break: "line 12: ..." for
    // a source, "a TIFF directory past the end of the file" for a header.
    std::string message;
    // Where the fault lies, when it lies somewhere: a line of a source, a
    // byte of a stream or a file; 0 when it is not about a place.
    std::uint64_t at = 0;
};

// A value, or the failure that kept it from being made.
template <typename T>
class [[nodiscard]] Expected {
  public:
    Expected(T value) : held_(std::move(value)) {}            // NOLINT: a value converts
    Expected(Failure failure) : held_(std::move(failure)) {}  // NOLINT: so does a failure

    bool ok() const { return held_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& operator*() { return std::get<0>(held_); }
    const T& operator*() const { return std::get<0>(held_); }
    T* operator->() { return &std::get<0>(held_); }
    const T* operator->() const { return &std::get<0>(held_); }
    const Failure& failure() const { return std::get<1>(held_); }

  private:
    std::variant<T, Failure> held_;
};

// Success, or the failure: for what has nothing to hand back.
class [[nodiscard]] Status {
  public:
    Status() = default;
    Status(Failure failure) : failure_(std::move(failure)), ok_(false) {}  // NOLINT

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Failure& failure() const { return failure_; }

  private:
    Failure failure_;
    bool ok_ = true;
};

}  // namespace pelmo
