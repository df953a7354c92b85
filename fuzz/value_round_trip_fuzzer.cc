// Fuzzes host value -> Value -> host value through the test host. The input
// is a small program that builds arbitrary host values: nested arrays and
// objects, self-references, odd type codes, absurd string lengths and failed
// host calls. A value that reads must convert back to a host value that
// reads again to the same thing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "addon/uxp_addon_interface.h"
#include "addon/value/value.h"
#include "tests/host/test_host.h"

namespace zerlin::test_host {
namespace {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint64_t Word() {
    uint64_t word = 0;
    for (int i = 0; i < 8; ++i) word = (word << 8) | Byte();
    return word;
  }
  std::string Text() {
    std::string text;
    for (size_t n = Byte() % 16; n > 0 && !Empty(); --n) {
      text += static_cast<char>(Byte());
    }
    return text;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Builds host values from the input; answers the last one made.
addon_value__* Build(TestHost& host, Input& in) {
  std::vector<addon_value__*> made = {host.Undefined()};
  auto pick = [&] { return made[in.Byte() % made.size()]; };
  while (!in.Empty()) {
    switch (in.Byte() % 12) {
      case 0:
        made.push_back(host.Null());
        break;
      case 1:
        made.push_back(host.Bool(in.Byte() & 1));
        break;
      case 2: {
        uint64_t bits = in.Word();
        double number;
        std::memcpy(&number, &bits, sizeof number);
        made.push_back(host.Number(number));
        break;
      }
      case 3:
        made.push_back(host.String(in.Text()));
        break;
      case 4: {
        std::vector<addon_value__*> elements(in.Byte() % 5);
        for (auto& element : elements) element = pick();
        made.push_back(host.Array(elements));
        break;
      }
      case 5: {
        addon_value__* object = host.Object();
        for (size_t n = in.Byte() % 5; n > 0; --n)
          host.Set(object, in.Text(), pick());
        made.push_back(object);
        break;
      }
      case 6: {  // may make an object contain itself
        addon_value__* object = pick();
        host.Set(object, in.Text(), pick());
        break;
      }
      case 7:
        host.SetTypeCode(pick(), static_cast<int32_t>(in.Byte() % 10));
        break;
      case 8: {
        // Either a length the reader can serve or one far past any buffer.
        uint64_t length = in.Word();
        length = (length >> 63) != 0 ? length : length % 64;
        host.SetStringReport(pick(), length, in.Byte() % 4);
        break;
      }
      case 9:
        host.FailCall(1 + in.Byte() % 64, (in.Byte() & 1)
                                              ? FailWrites::kOutputs
                                              : FailWrites::kNothing);
        break;
      default:
        made.push_back(pick());
        break;
    }
  }
  return made.back();
}

// Anything thrown must be the addon's own bare text or a standard exception.
template <typename F>
bool Attempt(F&& action) {
  try {
    action();
    return true;
  } catch (const char*) {
  } catch (const std::exception&) {
  } catch (...) {
    __builtin_trap();
  }
  return false;
}

}  // namespace
}  // namespace zerlin::test_host

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zerlin;
  using namespace zerlin::test_host;
  TestHost host;
  UxpAddonInterface::instance().setAddonAPIs(host.Table());
  Input in(data, size);
  addon_value__* root = Build(host, in);

  addon_value__* once = nullptr;
  Attempt([&] {
    Value read(host.Env(), root);
    once = read.Convert(host.Env());
  });
  host.ClearFailures();
  if (once == nullptr) return 0;

  // What the addon made itself must read back and convert to the same value.
  std::string first = host.Describe(once), second;
  bool again = Attempt([&] {
    Value read(host.Env(), once);
    second = host.Describe(read.Convert(host.Env()));
  });
  if (!again || first != second) __builtin_trap();
  return 0;
}
