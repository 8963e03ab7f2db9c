#include "link/port_name.h"

#include <arpa/inet.h>

#include <algorithm>
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

constexpr std::string_view kUrlMark = "://";
constexpr std::string_view kUrlForms = "socket://HOST:PORT or rfc2217://HOST:PORT";

// Where the scheme of a URL ends: letters, digits and '+', '-', '.' after a first letter, then
// "://". npos for a text that is no URL (a device path).
std::size_t SchemeEnd(std::string_view text) {
  const std::size_t mark = text.find(kUrlMark);
  if (mark == std::string_view::npos || mark == 0) return std::string_view::npos;
  const auto scheme_char = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
  };
  if (!std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(mark), scheme_char))
    return std::string_view::npos;
  return mark;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// A host name as DNS spells it (letters, digits, '-' and '.'), which includes IPv4 addresses.
bool IsHostName(std::string_view host) {
  return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
  });
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
  if (const std::size_t scheme_end = SchemeEnd(text); scheme_end != std::string_view::npos) {
    return ParseUrl(text, scheme_end, error);
  }
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

std::optional<PortName> PortName::ParseUrl(std::string_view text, std::size_t scheme_end,
                                           std::string* error) {
  const std::string whole(text);
  const std::string scheme = Lower(text.substr(0, scheme_end));
  Kind kind;
  if (scheme == "socket") {
    kind = Kind::kSocket;
  } else if (scheme == "rfc2217") {
    kind = Kind::kRfc2217;
  } else {
    return Refuse(error, whole + ": the scheme " + std::string(text.substr(0, scheme_end)) +
                             ":// is not known; give " + std::string(kUrlForms));
  }
  std::string_view rest = text.substr(scheme_end + kUrlMark.size());
  std::string_view host;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    host = close == std::string_view::npos ? rest.substr(1) : rest.substr(1, close - 1);
    in6_addr address{};
    if (close == std::string_view::npos ||
        ::inet_pton(AF_INET6, std::string(host).c_str(), &address) != 1) {
      return Refuse(error, whole + ": the host [" + std::string(host) +
                               "] is no IPv6 address (written in brackets, as in [::1])");
    }
    rest.remove_prefix(close + 1);
  } else {
    host = rest.substr(0, rest.rfind(':'));
    if (host.empty())
      return Refuse(error, whole + ": the host is missing, as in " + std::string(kUrlForms));
    if (!IsHostName(host)) {
      return Refuse(error, whole + ": the host " + std::string(host) +
                               " is no host name or address (an IPv6 address goes in brackets)");
    }
    rest.remove_prefix(host.size());
  }
  if (rest.empty() || rest.front() != ':' || rest.size() == 1) {
    return Refuse(error, whole + ": the port is missing; give it after the host, as in " +
                             std::string(kUrlForms));
  }
  const std::string_view port_text = rest.substr(1);
  const auto port = ParseInteger(port_text);
  if (!port || *port < 1 || *port > 65535) {
    return Refuse(error,
                  whole + ": the port " + std::string(port_text) + " is no TCP port (1 to 65535)");
  }
  return PortName(kind, whole, static_cast<int>(*port), std::string(host));
}

std::string PortName::Device() const {
  return kind_ == Kind::kCom ? ComPortDevice(number_) : text_;
}

std::string PortName::FileLabel() const {
  if (kind_ == Kind::kCom) return std::string(kComPrefix) + std::to_string(number_);
  if (IsNetwork()) {
    std::string host = host_;
    std::replace(host.begin(), host.end(), ':', '-');
    return host + "_" + std::to_string(number_);
  }
  const std::size_t slash = text_.rfind('/');
  return slash == std::string::npos ? text_ : text_.substr(slash + 1);
}

}  // namespace keldaro
