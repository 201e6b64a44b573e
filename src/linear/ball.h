// Ball: one Arb real ball (a midpoint and a radius that together enclose a
// real number), owned by value; BallVector: n of them in one Arb vector.
// Arb (Debian libflint-arb-dev) keeps every rounding error inside the
// radius, so a result computed from balls encloses the exact result.
//
// Conversions in and out:
//   setRational    a quotient of boost integers, exactly when the precision
//                  allows, else rounded into the radius;
//   roundedValue   the nearest double to a ball's midpoint and a bound on
//                  its distance from every point of the ball, so that the
//                  exact value lies within `error` of `value` (both finite,
//                  or the ball is not finite: value NaN, error infinite).
// Threads: a ball is plain data; Arb keeps its caches per thread, so any
// number of threads may compute with balls of their own (each thread that
// used Arb calls releaseArbCaches() before it ends).
#ifndef LINPROB_LINEAR_BALL_H_
#define LINPROB_LINEAR_BALL_H_

#include <cstddef>
#include <utility>

#include <arb.h>
#include <boost/multiprecision/cpp_int.hpp>

namespace linprob {

class Ball {
 public:
  Ball() { arb_init(ball_); }
  explicit Ball(double x) : Ball() { arb_set_d(ball_, x); }
  Ball(const Ball& other) : Ball() { arb_set(ball_, other.ball_); }
  Ball(Ball&& other) noexcept : Ball() { arb_swap(ball_, other.ball_); }
  Ball& operator=(const Ball& other) {
    arb_set(ball_, other.ball_);
    return *this;
  }
  Ball& operator=(Ball&& other) noexcept {
    arb_swap(ball_, other.ball_);
    return *this;
  }
  ~Ball() { arb_clear(ball_); }

  arb_ptr get() { return ball_; }
  arb_srcptr get() const { return ball_; }

 private:
  arb_t ball_;
};

class BallVector {
 public:
  explicit BallVector(std::size_t size = 0)
      : size_(size),
        balls_(size ? _arb_vec_init(static_cast<slong>(size)) : nullptr) {}
  BallVector(const BallVector&) = delete;
  BallVector& operator=(const BallVector&) = delete;
  BallVector(BallVector&& other) noexcept
      : size_(other.size_), balls_(other.balls_) {
    other.size_ = 0;
    other.balls_ = nullptr;
  }
  BallVector& operator=(BallVector&& other) noexcept {
    std::swap(size_, other.size_);
    std::swap(balls_, other.balls_);
    return *this;
  }
  ~BallVector() {
    if (balls_ != nullptr) _arb_vec_clear(balls_, static_cast<slong>(size_));
  }

  std::size_t size() const { return size_; }
  arb_ptr data() { return balls_; }
  arb_srcptr data() const { return balls_; }
  arb_ptr operator[](std::size_t i) { return balls_ + i; }
  arb_srcptr operator[](std::size_t i) const { return balls_ + i; }

 private:
  std::size_t size_;
  arb_ptr balls_;
};

// out = numerator / denominator at `precision` bits (denominator nonzero).
void setRational(arb_t out, const boost::multiprecision::cpp_int& numerator,
                 const boost::multiprecision::cpp_int& denominator,
                 slong precision);
void setRational(arb_t out, const boost::multiprecision::cpp_rational& value,
                 slong precision);

struct RoundedValue {
  double value = 0.0;
  double error = 0.0;  // |exact - value| <= error, rounded up
};

RoundedValue roundedValue(const arb_t ball);

// Frees the Arb and FLINT caches of the calling thread.
void releaseArbCaches();

}  // namespace linprob

#endif  // LINPROB_LINEAR_BALL_H_
