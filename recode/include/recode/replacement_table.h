#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "recode/builtin_sets.h"
#include "recode/recode_lookup.h"
#include "recode/slot_letters.h"

namespace lettermorph {

// One slot of the table: a fixed letter and the editable string written in its place.
struct Substitution {
  char16_t letter;
  std::u16string replacement;
};

// The 66 letter/replacement slots that every recoding reads. A new table holds
// DesignDefaults. Views subscribe to hear of every change, whoever makes it, so the settings
// window can show what the settings reader or the Reset command wrote.
class ReplacementTable {
 public:
  using ChangeListener = std::function<void(int slot)>;

  // Keeps a listener subscribed for as long as it lives; it may outlive the table.
  class Subscription {
   public:
    Subscription() = default;
    Subscription(Subscription&&) noexcept = default;
    Subscription& operator=(Subscription&& other) noexcept;
    ~Subscription();

   private:
    friend class ReplacementTable;
    struct Listeners;
    Subscription(std::weak_ptr<Listeners> listeners, std::uint64_t id);
    void Cancel();

    std::weak_ptr<Listeners> listeners_;
    std::uint64_t id_ = 0;
  };

  ReplacementTable();
  // The recoding lookup points into the slots, so a table stays where it was made.
  ReplacementTable(const ReplacementTable&) = delete;
  ReplacementTable& operator=(const ReplacementTable&) = delete;

  // Each refuses a slot outside 0..65 with an empty result or false, changing nothing.
  std::optional<char16_t> LetterAt(int slot) const;
  // The view stays valid until the slot's replacement changes.
  std::optional<std::u16string_view> ReplacementAt(int slot) const;
  [[nodiscard]] bool SetReplacement(int slot, std::u16string replacement);

  void ApplyResetDefaults();

  // The listener hears the slot of every replacement that actually changed.
  [[nodiscard]] Subscription Subscribe(ChangeListener listener);

  const RecodeLookup& Lookup() const { return lookup_; }

 private:
  void Store(int slot, std::u16string replacement);

  std::array<Substitution, kSlotCount> slots_;
  RecodeLookup lookup_;
  std::shared_ptr<Subscription::Listeners> listeners_;
};

}  // namespace lettermorph
