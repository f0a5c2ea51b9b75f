// A value as a source read it: the value, none (its sources were read and
// hold nothing: "never"), or unknown (none of its sources could be read).
#pragma once

#include <optional>
#include <utility>

namespace tramsel {

template <class T> class Known {
public:
    // Unknown: nothing was read.
    Known() = default;
    Known(T value) : value_(std::move(value)), read_(true) {}

    static Known none()
    {
        Known known;
        known.read_ = true;
        return known;
    }
    // The value when there is one, none otherwise: for a source that was read.
    static Known read(std::optional<T> value) { return value ? Known(std::move(*value)) : none(); }
    // The value when there is one; otherwise none or unknown as the source was read.
    static Known from(std::optional<T> value, bool sourceRead) { return sourceRead ? read(std::move(value)) : Known(); }

    bool known() const { return read_; }
    bool isNone() const { return read_ && !value_; }
    bool isUnknown() const { return !read_; }
    bool hasValue() const { return value_.has_value(); }
    const T *get() const { return value_ ? &*value_ : nullptr; }
    const std::optional<T> &optional() const { return value_; }
    const T &operator*() const { return *value_; }
    const T *operator->() const { return &*value_; }

    friend bool operator==(const Known &, const Known &) = default;

private:
    std::optional<T> value_;
    bool read_ = false;
};

} // namespace tramsel
