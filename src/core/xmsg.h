#pragma once
// The program's exception family. Every error that interrupts an operation is
// one of these; the operator's abort travels as a thrown boolean `true`.
#include <exception>
#include <string>
#include <utility>

class xmsg : public std::exception {
  public:
    explicit xmsg(std::string text) : text_(std::move(text)) {}
    const char* what() const noexcept override { return text_.c_str(); }
    const std::string& why() const noexcept { return text_; }

  private:
    std::string text_;
};

// A failed bus transfer.
class xgpib : public xmsg {
  public:
    using xmsg::xmsg;
};

// A measurement error: a text and a code (1 over range, 2 saturating, or the
// code of the reading that failed).
class xmeas : public xmsg {
  public:
    xmeas(std::string text, int code) : xmsg(std::move(text)), code_(code) {}
    int code() const noexcept { return code_; }

  private:
    int code_;
};

// An arithmetic error found by checking (a zero divisor, a non-finite result).
class xmath : public xmsg {
  public:
    using xmsg::xmsg;
};

// The operator's abort: thrown as the boolean true and caught as `bool`.
[[noreturn]] inline void ThrowAbort() {
    throw true;
}
