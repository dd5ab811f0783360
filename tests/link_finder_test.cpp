// Addresses in running text: where a link starts and ends, and what is
// not one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/link_finder.hpp"

namespace kolvo {
namespace {

// The links of `text` as the text they cover, with "mailto:" for a bare
// address's target.
std::vector<std::string> targets(std::string_view text) {
  std::vector<FoundLink> links;
  findLinks(text, links);
  std::vector<std::string> found;
  found.reserve(links.size());
  for (const FoundLink& link : links) found.push_back(linkTarget(text, link));
  return found;
}

using Targets = std::vector<std::string>;

TEST(LinkFinder, WebAddressesEndBeforeTheSentenceGoesOn) {
  EXPECT_EQ(targets("see https://example.org/a_b?x=1&y=2#frag, then"),
            Targets{"https://example.org/a_b?x=1&y=2#frag"});
  EXPECT_EQ(targets("(at http://www.gnu.org/licenses/)."), Targets{"http://www.gnu.org/licenses/"});
  EXPECT_EQ(targets("wiki https://en.example.org/A_(b)_c."), Targets{"https://en.example.org/A_(b)_c"});
  EXPECT_EQ(targets("FTP://Host/x! and ftps://h/y?"), (Targets{"FTP://Host/x", "ftps://h/y"}));
  EXPECT_EQ(targets("<https://example.net/a>"), Targets{"https://example.net/a"});
  EXPECT_EQ(targets("\"http://q.org/x\""), Targets{"http://q.org/x"});
  EXPECT_EQ(targets("https://example.org/%20x"), Targets{"https://example.org/%20x"});
  // A tag of the markup ends an address; a percent-encoded byte does not.
  EXPECT_EQ(targets("https://x.org/%bsbold%be"), Targets{"https://x.org/"});
  EXPECT_EQ(targets("%P2https://y.org/%Pe"), Targets{"https://y.org/"});
  // Only ASCII: a letter beyond it ends the address whole.
  EXPECT_EQ(targets("https://x.org/a\xC3\xA9"), Targets{"https://x.org/a"});
}

TEST(LinkFinder, EmailAddressesBareAndWithMailto) {
  EXPECT_EQ(targets("mail me.you@mail.example.com."), Targets{"mailto:me.you@mail.example.com"});
  EXPECT_EQ(targets("user+tag@example.co.uk, x"), Targets{"mailto:user+tag@example.co.uk"});
  EXPECT_EQ(targets("mailto:a@b.org"), Targets{"mailto:a@b.org"});
  EXPECT_EQ(targets("%usu@x.co.uk%ue"), Targets{"mailto:u@x.co.uk"});
  // An address inside a web address belongs to it.
  EXPECT_EQ(targets("ftp://anon@ftp.example.org/pub"), Targets{"ftp://anon@ftp.example.org/pub"});
  EXPECT_EQ(targets("a@b.org and c@d.net"), (Targets{"mailto:a@b.org", "mailto:c@d.net"}));
}

TEST(LinkFinder, WhatIsNotALink) {
  for (const char* text : {"a@b", "http://", "https:// x", "x@y.z1", "user@localhost", "@home",
                           "me@.org", "me@x..org", "xhttp://a.org", "a@b.c", "plain text", ""}) {
    EXPECT_EQ(targets(text), Targets{}) << text;
  }
  EXPECT_FALSE(mayHoldLinks("no address: here"));
  EXPECT_TRUE(mayHoldLinks("a//b"));
  EXPECT_TRUE(mayHoldLinks("a@b"));
}

TEST(LinkFinder, TheQuickLookFindsAnAtOrTwoSlashesWhereverTheyStand) {
  // Lines of every length up to a few sixteen-byte blocks, and texts long
  // enough to be taken thirty-two bytes a step, the sign or the pair at
  // every place (across a block's end, in the last bytes); single slashes
  // apart are nothing.
  std::vector<std::size_t> sizes;
  for (std::size_t size = 0; size <= 70; ++size) sizes.push_back(size);
  for (std::size_t size = 250; size <= 300; size += 7) sizes.push_back(size);
  for (const std::size_t size : sizes) {
    std::string line(size, 'x');
    for (std::size_t i = 0; i < size; i += 3) line[i] = '/';
    EXPECT_FALSE(mayHoldLinks(line)) << size;
    for (std::size_t at = 0; at < size; ++at) {
      std::string with = line;
      with[at] = '@';
      EXPECT_TRUE(mayHoldLinks(with)) << size << " " << at;
      if (at + 1 < size) {
        with = line;
        with[at] = with[at + 1] = '/';
        EXPECT_TRUE(mayHoldLinks(with)) << size << " " << at;
      }
    }
  }
}

}  // namespace
}  // namespace kolvo
