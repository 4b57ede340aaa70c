#include "recode/replacement_table.h"

#include <map>
#include <utility>
#include <vector>

namespace lettermorph {

struct ReplacementTable::Subscription::Listeners {
  std::map<std::uint64_t, ChangeListener> byId;
  std::uint64_t nextId = 1;
};

ReplacementTable::Subscription::Subscription(std::weak_ptr<Listeners> listeners, std::uint64_t id)
    : listeners_(std::move(listeners)), id_(id) {}

ReplacementTable::Subscription& ReplacementTable::Subscription::operator=(
    Subscription&& other) noexcept {
  if (this != &other) {
    Cancel();
    listeners_ = std::move(other.listeners_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

ReplacementTable::Subscription::~Subscription() {
  Cancel();
}

void ReplacementTable::Subscription::Cancel() {
  if (auto listeners = listeners_.lock()) {
    listeners->byId.erase(id_);
  }
  listeners_.reset();
}

ReplacementTable::ReplacementTable() : listeners_(std::make_shared<Subscription::Listeners>()) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    slots_[slot] = {kSlotLetters[slot], std::u16string(DesignDefaults[slot])};
    lookup_.Set(slot, slots_[slot].replacement);
  }
}

std::optional<char16_t> ReplacementTable::LetterAt(int slot) const {
  if (!IsSlotIndex(slot)) {
    return std::nullopt;
  }
  return slots_[slot].letter;
}

std::optional<std::u16string_view> ReplacementTable::ReplacementAt(int slot) const {
  if (!IsSlotIndex(slot)) {
    return std::nullopt;
  }
  return slots_[slot].replacement;
}

bool ReplacementTable::SetReplacement(int slot, std::u16string replacement) {
  if (!IsSlotIndex(slot)) {
    return false;
  }
  Store(slot, std::move(replacement));
  return true;
}

void ReplacementTable::ApplyResetDefaults() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    Store(slot, std::u16string(ResetDefaults[slot]));
  }
}

ReplacementTable::Subscription ReplacementTable::Subscribe(ChangeListener listener) {
  const std::uint64_t id = listeners_->nextId++;
  listeners_->byId.emplace(id, std::move(listener));
  return Subscription(listeners_, id);
}

void ReplacementTable::Store(int slot, std::u16string replacement) {
  std::u16string& current = slots_[slot].replacement;
  if (current == replacement) {
    return;
  }
  current = std::move(replacement);
  lookup_.Set(slot, current);

  // A listener may subscribe or unsubscribe others while it runs, so walk a snapshot of the
  // ids and skip any that are gone by the time their turn comes.
  std::vector<std::uint64_t> ids;
  for (const auto& [id, listener] : listeners_->byId) {
    ids.push_back(id);
  }
  for (std::uint64_t id : ids) {
    if (auto it = listeners_->byId.find(id); it != listeners_->byId.end()) {
      const ChangeListener listener = it->second;  // survives the listener unsubscribing
      listener(slot);
    }
  }
}

}  // namespace lettermorph
