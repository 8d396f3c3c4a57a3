// XmlElement.cpp: the element handle's reference counting and its reading operations.
// Look-ups are linear over the element's arrays and never copy a name or value.
#include <cstring>

#include "base/TextUtil.h"
#include "xml/XmlNode_internal.h"
#include "xml/XmlParser.h"

using xmldetail::Node;

namespace {

// True when the zero-terminated `stored` equals `name` in any ASCII letter case. It runs for
// every child and attribute a record's lookups pass, so it stops at the first differing byte
// instead of measuring `stored` first.
bool equalsIgnoringCase(const char* stored, std::string_view name) {
  if (stored == nullptr) return false;
  for (char c : name) {
    if (*stored == '\0' || LowerAscii(*stored) != LowerAscii(c)) return false;
    ++stored;
  }
  return *stored == '\0';
}

}  // namespace

XmlElement::XmlElement(Node* node) noexcept : node_(node) {
  if (node_ != nullptr) ++node_->references;
}

XmlElement::XmlElement(const XmlElement& other) noexcept : XmlElement(other.node_) {}

XmlElement::XmlElement(XmlElement&& other) noexcept : node_(other.node_) { other.node_ = nullptr; }

XmlElement& XmlElement::operator=(const XmlElement& other) noexcept {
  if (other.node_ != node_) {
    if (other.node_ != nullptr) ++other.node_->references;
    xmldetail::releaseNode(node_);
    node_ = other.node_;
  }
  return *this;
}

XmlElement& XmlElement::operator=(XmlElement&& other) noexcept {
  if (this != &other) {
    xmldetail::releaseNode(node_);
    node_ = other.node_;
    other.node_ = nullptr;
  }
  return *this;
}

XmlElement::~XmlElement() { xmldetail::releaseNode(node_); }

const XmlElement& XmlElement::empty() {
  static const XmlElement emptyElement;
  return emptyElement;
}

const char* XmlElement::tagName() const { return node_ ? node_->name : nullptr; }

bool XmlElement::isNull() const { return node_ == nullptr; }

bool XmlElement::isDeclaration() const { return node_ && node_->isDeclaration; }

int XmlElement::childCount() const { return node_ ? node_->childCount : 0; }
int XmlElement::textCount() const { return node_ ? node_->textCount : 0; }
int XmlElement::clearCount() const { return node_ ? node_->clearCount : 0; }
int XmlElement::attributeCount() const { return node_ ? node_->attributeCount : 0; }

XmlElement XmlElement::childAt(int index) const {
  if (node_ == nullptr || index < 0 || index >= node_->childCount) return XmlElement();
  return XmlElement(node_->children()[index]);
}

XmlElement XmlElement::findChild(std::string_view name, int* position) const {
  if (node_ == nullptr) return XmlElement();
  int i = position ? *position : 0;
  if (i < 0) i = 0;
  Node** children = node_->children();
  for (; i < node_->childCount; ++i) {
    if (equalsIgnoringCase(children[i]->name, name)) {
      if (position) *position = i + 1;
      return XmlElement(children[i]);
    }
  }
  return XmlElement();
}

const char* XmlElement::attributeValue(std::string_view name, int* position) const {
  if (node_ == nullptr) return nullptr;
  int i = position ? *position : 0;
  if (i < 0) i = 0;
  const xmldetail::Attribute* attributes = node_->attributes();
  for (; i < node_->attributeCount; ++i) {
    if (equalsIgnoringCase(attributes[i].name, name)) {
      if (position) *position = i + 1;
      return attributes[i].value;
    }
  }
  return nullptr;
}

const char* XmlElement::attributeNameAt(int index) const {
  if (node_ == nullptr || index < 0 || index >= node_->attributeCount) return nullptr;
  return node_->attributes()[index].name;
}

const char* XmlElement::attributeValueAt(int index) const {
  if (node_ == nullptr || index < 0 || index >= node_->attributeCount) return nullptr;
  return node_->attributes()[index].value;
}

const char* XmlElement::textAt(int index) const {
  if (node_ == nullptr || index < 0 || index >= node_->textCount) return nullptr;
  return node_->texts()[index];
}

XmlClear XmlElement::clearAt(int index) const {
  if (node_ == nullptr || index < 0 || index >= node_->clearCount) return XmlClear();
  const xmldetail::Clear& clear = node_->clears()[index];
  return XmlClear{clear.value, clear.openTag, clear.closeTag};
}
