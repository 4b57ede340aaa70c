#pragma once

#include <QStringList>
#include <optional>
#include <vector>

#include "ui/clipboard.h"
#include "ui/message_boxes.h"
#include "ui/shell.h"

namespace lettermorph {

// A clipboard that holds text or nothing, and remembers what was done to it.
class FakeClipboard final : public Clipboard {
 public:
  bool HasText() const override { return text.has_value(); }
  QString Text() const override { return text.value_or(QString()); }
  void Clear() override {
    text.reset();
    events << QStringLiteral("clear");
  }
  void SetText(const QString& value) override {
    text = value;
    events << QStringLiteral("set");
  }

  std::optional<QString> text;
  QStringList events;
};

class RecordingShell final : public Shell {
 public:
  void OpenAddress(const QString& address) override { opened << address; }
  QStringList opened;
};

// Message boxes that are recorded and answered at once, so no test waits on a modal loop.
class RecordingMessageBoxes final : public MessageBoxes {
 public:
  struct Box {
    QString title;
    QString text;
    bool warning;
  };
  void Inform(QWidget*, const QString& title, const QString& text) override {
    shown.push_back({title, text, false});
  }
  void Warn(QWidget*, const QString& title, const QString& text) override {
    shown.push_back({title, text, true});
  }
  std::vector<Box> shown;
};

}  // namespace lettermorph
