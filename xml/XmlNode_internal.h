// XmlNode_internal.h: how a parsed tree is stored. Only xml/ includes this file.
// All nodes, names and values of one parse live in one arena owned by a Document, which is
// freed when the last node of the tree has been released.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "xml/XmlParser.h"

namespace xmldetail {

// Memory for a large buffer or arena block; never null (throws std::bad_alloc). Blocks of
// 2 MiB and more are aligned to 2 MiB and, on Linux, offered huge pages: a big tree or file is
// written once from end to end, and fewer page faults save a measurable share of the parse.
void* allocateBlock(std::size_t size);
// Frees what allocateBlock returned.
void freeBlock(void* block);

// Bump allocator: memory is handed out from large blocks and freed all at once.
class Arena {
 public:
  Arena() = default;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // Uninitialised memory for `size` bytes aligned to `align` (a power of two up to 16).
  void* allocate(std::size_t size, std::size_t align);
  // Room for a text of up to `size` bytes; give the unused tail back with trimText.
  char* allocateText(std::size_t size) { return static_cast<char*>(allocate(size, 1)); }
  // Keeps only `used` bytes of the text last handed out at `text`.
  void trimText(char* text, std::size_t used);

  template <typename T>
  T* make() {
    return new (allocate(sizeof(T), alignof(T))) T();
  }

 private:
  void addBlock(std::size_t atLeast);

  struct BlockFree {
    void operator()(char* block) const;
  };
  std::vector<std::unique_ptr<char, BlockFree>> blocks_;
  char* cursor_ = nullptr;
  char* limit_ = nullptr;
  std::size_t nextBlockSize_ = 64 * 1024;
};

struct Node;

// Owner of everything one parse built.
struct Document {
  Arena arena;
  std::size_t liveNodes = 0;  // nodes whose reference count has not yet dropped to 0
};

struct Attribute {
  const char* name;
  const char* value;  // nullptr: written without a value
};

struct Clear {
  const char* value;
  const char* openTag;
  const char* closeTag;
};

// One element. Its children, attributes, clears and texts sit in one arena block, in that
// order, sized exactly when the element was closed.
struct Node {
  const char* name = nullptr;  // nullptr for the nameless document node
  Node* parent = nullptr;      // not counted
  Document* document = nullptr;
  void* items = nullptr;
  std::int32_t childCount = 0;
  std::int32_t textCount = 0;
  std::int32_t clearCount = 0;
  std::int32_t attributeCount = 0;
  std::int32_t references = 0;  // handles plus the parent's link
  bool isDeclaration = false;
  bool unclosed = false;  // still open when the data ended (its end tag never came)

  Node** children() const { return static_cast<Node**>(items); }
  Attribute* attributes() const { return reinterpret_cast<Attribute*>(children() + childCount); }
  Clear* clears() const { return reinterpret_cast<Clear*>(attributes() + attributeCount); }
  const char** texts() const { return reinterpret_cast<const char**>(clears() + clearCount); }
};

// Drops one reference from `node`; at 0 releases its children in turn (without recursion or
// allocation, so a deeply nested tree cannot exhaust the stack) and frees the document after
// its last node.
void releaseNode(Node* node) noexcept;

}  // namespace xmldetail
