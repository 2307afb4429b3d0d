#pragma once

#include "shell/canvas/CanvasKeys.h"

#include <optional>
#include <utility>

// One memoised layout per canvas view: value() computes it again only when the key differs from the
// stored one. Holds only the latest key and value; going back to an earlier key computes again.
// Main thread only; no lock.
template <typename Value, typename Key = VizKey> class LayoutCache {
  public:
    template <typename Make> const Value& value(const Key& key, Make&& make) {
        if (value_ && key_ && *key_ == key) return *value_;
        Value computed = make(); // may read the previous value; replace it only afterwards
        key_ = key;
        value_ = std::move(computed);
        return *value_;
    }

    const std::optional<Key>& key() const { return key_; }
    const Value* stored() const { return value_ ? &*value_ : nullptr; }
    void clear() {
        key_.reset();
        value_.reset();
    }

  private:
    std::optional<Key> key_;
    std::optional<Value> value_;
};
