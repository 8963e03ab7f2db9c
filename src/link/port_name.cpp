#include "link/port_name.h"

#include <cstdlib>
#include <limits>

#include "core/integer_text.h"

namespace keldaro {
namespace {

constexpr std::string_view kComPrefix = "COM";

bool StartsWithComPrefix(std::string_view text) {
  if (text.size() < kComPrefix.size()) return false;
  for (std::size_t i = 0; i < kComPrefix.size(); ++i) {
    const char c = text[i];
    const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper != kComPrefix[i]) return false;
  }
  return true;
}

std::optional<PortName> Refuse(std::string* error, std::string reason) {
  if (error != nullptr) *error = std::move(reason);
  return std::nullopt;
}

}  // namespace

std::string ComPortDevice(int n) {
  const std::string variable = "KELDARO_COM" + std::to_string(n);
  if (const char* mapped = std::getenv(variable.c_str()); mapped != nullptr && *mapped != '\0') {
    return mapped;
  }
  return "/dev/ttyS" + std::to_string(n - 1);
}

std::optional<PortName> PortName::Parse(std::string_view text, std::string* error) {
  if (text.empty()) return Refuse(error, "no port is named: give COMn or a device path");
  if (StartsWithComPrefix(text)) {
    const std::string_view digits = text.substr(kComPrefix.size());
    if (digits.empty()) {
      return Refuse(error, std::string(text) + " needs the port's number, as in COM1");
    }
    // "COM3a" and the like are no COM port: they are taken as a (relative) device path below.
    if (const auto number = ParseInteger(digits)) {
      if (*number < 1 || *number > std::numeric_limits<int>::max()) {
        return Refuse(error, std::string(text) + " is no port: the COM ports are numbered from 1");
      }
      return PortName(Kind::kCom, std::string(text), static_cast<int>(*number));
    }
  }
  return PortName(Kind::kDevice, std::string(text), 0);
}

std::string PortName::Device() const {
  return kind_ == Kind::kCom ? ComPortDevice(number_) : text_;
}

std::string PortName::FileLabel() const {
  if (kind_ == Kind::kCom) return std::string(kComPrefix) + std::to_string(number_);
  const std::size_t slash = text_.rfind('/');
  return slash == std::string::npos ? text_ : text_.substr(slash + 1);
}

}  // namespace keldaro
