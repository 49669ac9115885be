#pragma once
// How the galleries put names and addresses into HTML, so that no file name or address can
// break a page. Any thread.

#include <string>
#include <string_view>

namespace vexilo {

// The four characters that could end or open markup, as entities: "&", "<", ">" and the
// double quote; every other byte stays.
std::string HtmlEscaped(std::string_view text);

// The name as one path segment of an address: what a segment may hold stays as it is (so a
// plain name, "(1)" prefixes included, comes out unchanged), everything else is
// percent-encoded, "&" too so that nothing needs escaping in the attribute.
std::string AddressSegment(std::string_view name);

// Text as a page declared UTF-8 may hold it: bytes that are no UTF-8 and control characters
// become U+FFFD, a tab or line break a blank. A valid name stays as it is.
std::string PageText(std::string_view text);

// An http or https address as an href value: bytes an address may not hold (blanks,
// quotes, angle brackets, non-ASCII, a "%" that starts no escape) are percent-encoded.
// Empty for anything else (a javascript: or file: address, a relative one).
std::string WebAddressHref(std::string_view address);

}  // namespace vexilo
