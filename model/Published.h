#pragma once

#include <QObject>

#include <utility>
#include <vector>

// Published fields of the state objects: each has its own change signal, sent only when the value
// really changed. Main thread only, like the objects themselves.

namespace published {

// Whether a field holds its empty value (an empty list, a null pointer, zero, false).
template <typename T> bool isEmpty(const T& value) {
    if constexpr (requires { value.empty(); })
        return value.empty();
    else
        return value == T{};
}

} // namespace published

// Sets `field` to `value` and sends `changed` when they differed.
template <typename Owner, typename T, typename U>
bool publish(Owner* owner, T& field, U&& value, void (Owner::*changed)()) {
    if (field == value) return false;
    field = std::forward<U>(value);
    emit(owner->*changed)();
    return true;
}

// Several fields changed together: all are set first, then the signals of those that changed go out in
// the order the fields were set, so no slot sees half of the change.
template <typename Owner> class ChangeBatch {
  public:
    explicit ChangeBatch(Owner* owner) : owner_(owner) {}
    ChangeBatch(const ChangeBatch&) = delete;
    ChangeBatch& operator=(const ChangeBatch&) = delete;

    template <typename T, typename U> void set(T& field, U&& value, void (Owner::*changed)()) {
        if (field == value) return;
        field = std::forward<U>(value);
        pending_.push_back(changed);
    }
    // Empties `field` and hands back what it held.
    template <typename T> T take(T& field, void (Owner::*changed)()) {
        if (!published::isEmpty(field)) pending_.push_back(changed);
        return std::exchange(field, T{});
    }
    void announce() {
        for (auto changed : std::exchange(pending_, {}))
            emit(owner_->*changed)();
    }

  private:
    Owner* owner_;
    std::vector<void (Owner::*)()> pending_;
};
