// XmlNode.cpp: the arena that holds a parsed tree and the release of nodes.
// The reading operations on the handle are in XmlElement.cpp.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

#include "xml/XmlNode_internal.h"

namespace xmldetail {

namespace {

// Blocks double up to this size, so a large file costs few allocations and a small one little
// memory.
constexpr std::size_t kMaxBlockSize = 8 * 1024 * 1024;
constexpr std::size_t kHugePage = 2 * 1024 * 1024;

}  // namespace

void* allocateBlock(std::size_t size) {
  void* block = nullptr;
#ifdef __linux__
  if (size >= kHugePage) {
    if (posix_memalign(&block, kHugePage, size) != 0) throw std::bad_alloc();
    madvise(block, size, MADV_HUGEPAGE);
    return block;
  }
#endif
  block = std::malloc(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void freeBlock(void* block) { std::free(block); }

void Arena::BlockFree::operator()(char* block) const { freeBlock(block); }

void Arena::addBlock(std::size_t atLeast) {
  std::size_t size = std::max(nextBlockSize_, atLeast + 16);
  blocks_.emplace_back(static_cast<char*>(allocateBlock(size)));
  cursor_ = blocks_.back().get();
  limit_ = cursor_ + size;
  nextBlockSize_ = std::min(nextBlockSize_ * 2, kMaxBlockSize);
}

void* Arena::allocate(std::size_t size, std::size_t align) {
  auto address = reinterpret_cast<std::uintptr_t>(cursor_);
  std::size_t padding = (align - (address & (align - 1))) & (align - 1);
  if (cursor_ == nullptr || static_cast<std::size_t>(limit_ - cursor_) < size + padding) {
    addBlock(size + align);
    address = reinterpret_cast<std::uintptr_t>(cursor_);
    padding = (align - (address & (align - 1))) & (align - 1);
  }
  char* result = cursor_ + padding;
  cursor_ = result + size;
  return result;
}

void Arena::trimText(char* text, std::size_t used) {
  if (text + used <= cursor_) cursor_ = text + used;
}

void releaseNode(Node* node) noexcept {
  if (node == nullptr || --node->references > 0) return;
  // A node whose count reached 0 has no parent (the parent's link was a reference), so its
  // parent field is free to chain the nodes still to be released: no recursion and no
  // allocation, however deep the tree.
  node->parent = nullptr;
  Node* pending = node;
  while (pending != nullptr) {
    Node* current = pending;
    pending = current->parent;
    Document* document = current->document;
    Node** children = current->children();
    for (std::int32_t i = 0; i < current->childCount; ++i) {
      Node* child = children[i];
      child->parent = nullptr;
      if (--child->references > 0) continue;
      if (child->childCount == 0) {
        // A leaf is done at once (the document still counts `current`), which keeps the
        // chain short: walking a long chain is a series of dependent memory loads.
        --document->liveNodes;
      } else {
        child->parent = pending;
        pending = child;
      }
    }
    if (--document->liveNodes == 0) delete document;
  }
}

}  // namespace xmldetail
