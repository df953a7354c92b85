// Value: the addon's own variant type for data handed to scripts. A value owns
// its payload outright; lists and maps hold further values, so a value is a
// tree. Values move, never copy.
#ifndef ZERLIN_ADDON_VALUE_VALUE_H_
#define ZERLIN_ADDON_VALUE_VALUE_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <iterator>
#include <new>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "addon/addon_api.h"

namespace zerlin {

class ValueMap;

class Value {
 public:
  enum class Kind : int32_t {
    Undefined = 0,
    Boolean = 1,
    Number = 2,
    String = 3,
    List = 4,
    Map = 5,
  };
  using List = std::deque<Value>;
  // Keys compare byte-wise as unsigned bytes (std::char_traits<char>::lt), so
  // "Z" < "a" < "x" < "xa". emplace keeps the first value given for a key.
  using Map = ValueMap;

  Value() : kind_(Kind::Undefined) {}
  explicit Value(bool flag) : kind_(Kind::Boolean) { payload_.flag = flag; }
  explicit Value(double number) : kind_(Kind::Number) {
    payload_.number = number;
  }
  explicit Value(std::string text);
  // Text must be passed as std::string: a bare literal would otherwise
  // convert to bool first and silently make a Boolean.
  Value(const char*) = delete;
  // An empty List or Map; any other kind throws "invalid kind".
  explicit Value(Kind kind);
  Value(Value&& other) noexcept : kind_(other.kind_), payload_(other.payload_) {
    switch (kind_) {
      case Kind::String:
        other.payload_.text = nullptr;
        break;
      case Kind::List:
        other.payload_.list = nullptr;
        break;
      case Kind::Map:
        other.payload_.map = nullptr;
        break;
      default:
        break;
    }
  }
  // Reads a host value and everything it contains. A value nested deeper
  // than kMaxDepth levels (a host object that contains itself, say) throws
  // std::length_error instead of exhausting the stack.
  Value(addon_env__* env, addon_value__* value);
  static constexpr int kMaxDepth = 128;
  ~Value() {
    if (kind_ >= Kind::String) ReleasePayload();
  }

  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;
  Value& operator=(Value&&) = delete;

  Kind GetKind() const { return kind_; }
  // Throws "Incorrect value kind" unless the value is of `kind`.
  void RequireKind(Kind kind) const;

  bool GetBoolean() const;
  double GetNumber() const;
  std::string GetString() const;
  const List& GetList() const;
  List& GetList();
  const Map& GetMap() const;
  Map& GetMap();

  // Builds a fresh host value equal to this one.
  addon_value__* Convert(addon_env__* env) const;
  static addon_value__* ConvertValue(addon_env__* env, const Value& value);

 private:
  // Scalars are converted in place; lists and maps, element by element,
  // in a function of their own, so that a scalar costs no more than a call.
  static addon_value__* ConvertWith(const addon_apis& apis, addon_env__* env,
                                    const Value& value);
  static addon_value__* ConvertContainer(const addon_apis& apis,
                                         addon_env__* env, const Value& value);
  // Deletes the string, list or map; a moved-from value holds null.
  void ReleasePayload() noexcept;

  Kind kind_;
  union Payload {
    bool flag;
    double number;
    std::string* text;
    List* list;
    Map* map;
  } payload_;
};

// The map of a Map value: byte strings to values, iterated in byte-wise key
// order, with the interface of std::map that building and reading results
// needs. Sized for results of a handful of entries: the first kInline
// entries live inside the map object itself, so that a result map is one
// allocation; further entries get a node each. A sorted array of pointers
// gives the order. Entries never move, so references stay valid as long as
// the map (as with std::map), and no map shares anything with another.
class ValueMap {
 public:
  using key_type = std::string;
  using mapped_type = Value;
  using value_type = std::pair<const std::string, Value>;
  using size_type = size_t;
  static constexpr size_t kInline = 6;

  template <bool kConst>
  class Iterator {
   public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = ValueMap::value_type;
    using difference_type = std::ptrdiff_t;
    using reference =
        std::conditional_t<kConst, const value_type&, value_type&>;
    using pointer = std::conditional_t<kConst, const value_type*, value_type*>;

    Iterator() = default;
    // An iterator converts to a const_iterator, not the other way.
    template <bool kOther, typename = std::enable_if_t<kConst && !kOther>>
    Iterator(const Iterator<kOther>& other) : at_(other.at_) {}

    reference operator*() const { return **at_; }
    pointer operator->() const { return *at_; }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    Iterator operator++(int) { return Iterator(at_++); }
    Iterator& operator--() {
      --at_;
      return *this;
    }
    Iterator operator--(int) { return Iterator(at_--); }
    friend bool operator==(const Iterator& a, const Iterator& b) {
      return a.at_ == b.at_;
    }
    friend bool operator!=(const Iterator& a, const Iterator& b) {
      return a.at_ != b.at_;
    }

   private:
    friend class ValueMap;
    template <bool>
    friend class Iterator;
    explicit Iterator(value_type* const* at) : at_(at) {}
    value_type* const* at_ = nullptr;
  };
  using iterator = Iterator<false>;
  using const_iterator = Iterator<true>;

  // User-provided, so that `new ValueMap()` does not zero the inline slots.
  ValueMap() noexcept {}
  ~ValueMap() { Release(); }
  ValueMap(const ValueMap&) = delete;
  ValueMap& operator=(const ValueMap&) = delete;

  // Adds `key` with a value made from `value`, unless the key is present:
  // then nothing changes and the answer is the entry already there. Throws
  // std::bad_alloc, changing nothing, when memory runs out.
  template <typename K, typename V>
  std::pair<iterator, bool> emplace(K&& key, V&& value) {
    const std::string_view text(key);
    const size_t index = LowerBound(text);
    if (index < size_ && std::string_view(order_[index]->first) == text) {
      return {iterator(order_ + index), false};
    }
    if (size_ == capacity_) GrowOrder();
    const bool in_place = inline_used_ < kInline;
    void* slot = in_place ? inline_ + sizeof(value_type) * inline_used_
                          : ::operator new(sizeof(value_type));
    value_type* entry;
    try {
      entry = ::new (slot) value_type(
          std::piecewise_construct, std::forward_as_tuple(std::forward<K>(key)),
          std::forward_as_tuple(std::forward<V>(value)));
    } catch (...) {
      if (!in_place) ::operator delete(slot);
      throw;
    }
    if (in_place) ++inline_used_;
    // Swapped down rather than shifted, cheaper for a handful of pointers
    // (BENCHMARKS.md).
    order_[size_] = entry;
    for (size_t i = size_; i > index; --i) std::swap(order_[i], order_[i - 1]);
    ++size_;
    return {iterator(order_ + index), true};
  }

  iterator find(std::string_view key) { return iterator(Find(key)); }
  const_iterator find(std::string_view key) const {
    return const_iterator(Find(key));
  }
  size_t count(std::string_view key) const {
    return Find(key) != order_ + size_ ? 1 : 0;
  }
  // Throws std::out_of_range when `key` is absent.
  Value& at(std::string_view key);
  const Value& at(std::string_view key) const;

  iterator begin() { return iterator(order_); }
  iterator end() { return iterator(order_ + size_); }
  const_iterator begin() const { return const_iterator(order_); }
  const_iterator end() const { return const_iterator(order_ + size_); }
  const_iterator cbegin() const { return begin(); }
  const_iterator cend() const { return end(); }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() { Release(); }

 private:
  // Byte-wise order; most keys differ in their first byte.
  static bool Less(std::string_view a, std::string_view b) {
    if (!a.empty() && !b.empty() && a[0] != b[0]) {
      return static_cast<unsigned char>(a[0]) <
             static_cast<unsigned char>(b[0]);
    }
    return a < b;
  }
  // The position of the first entry whose key is not below `key`.
  size_t LowerBound(std::string_view key) const {
    size_t first = 0;
    size_t count = size_;
    while (count > 0) {
      const size_t half = count / 2;
      if (Less(order_[first + half]->first, key)) {
        first += half + 1;
        count -= half + 1;
      } else {
        count = half;
      }
    }
    return first;
  }
  value_type* const* Find(std::string_view key) const {
    const size_t index = LowerBound(key);
    return index < size_ && std::string_view(order_[index]->first) == key
               ? order_ + index
               : order_ + size_;
  }
  // Doubles the order array, which is then on the heap.
  void GrowOrder();
  bool IsInline(const void* entry) const {
    const auto at = reinterpret_cast<uintptr_t>(entry);
    const auto start = reinterpret_cast<uintptr_t>(inline_);
    return at - start < sizeof inline_;
  }
  // Destroys every entry and returns to the empty state.
  void Release();

  value_type** order_ = inline_order_;
  size_t size_ = 0;
  size_t capacity_ = kInline;  // of the order array
  size_t inline_used_ = 0;     // inline slots taken, always the first ones
  value_type* inline_order_[kInline];
  alignas(value_type) unsigned char inline_[kInline * sizeof(value_type)];
};

}  // namespace zerlin

#endif  // ZERLIN_ADDON_VALUE_VALUE_H_
