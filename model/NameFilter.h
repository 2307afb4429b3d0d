#pragma once

#include <QString>

#include <string>

class FileNode;

// The name filter of the Explore tab: a node passes when its own name (not its path) contains the
// filter's text, trimmed of spaces and tabs at both ends (not of line breaks), ignoring letter case.
// A blank text passes every node.
class NameFilter {
  public:
    NameFilter() = default;
    explicit NameFilter(const QString& text);

    const QString& text() const { return text_; }
    bool matches(const FileNode* node) const;

  private:
    QString text_;
    // The text as matched: trimmed; lower-cased bytes when it is plain ASCII.
    QString needle_;
    std::string asciiNeedle_;
    bool isAscii_ = true;
};
