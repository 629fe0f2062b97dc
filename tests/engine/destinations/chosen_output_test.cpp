// What the windows ask for: each destination of the list with the path in the output edit.
#include "engine/destinations/chosen_output.h"

#include <gtest/gtest.h>

#include <string>

namespace vandrel {
namespace {

TEST(ChosenOutputTest, EachChoiceTakesTheEditsPathUnlessItNeedsNone) {
  const struct {
    std::string_view key;
    std::string editPath;
    ConversionOutput expected;
  } cases[] = {
      {"mbox",
       "/home/ann/Mail/calypso.mbx",
       {DestinationKind::kMboxFiles, "/home/ann/Mail/calypso.mbx"}},
      {"mbox", "C:\\Mail\\", {DestinationKind::kMboxFiles, "C:\\Mail\\"}},
      {"thunderbird", "/home/ann/Mail/calypso.mbx", {DestinationKind::kThunderbird, ""}},
      {"maildir", "/home/ann/Maildir", {DestinationKind::kMaildir, "/home/ann/Maildir"}},
      {"maildir", "", {DestinationKind::kMaildir, ""}},
      {"imap",
       "imaps://ann@mail.example.org/Calypso",
       {DestinationKind::kImap, "imaps://ann@mail.example.org/Calypso"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChosenOutput(ChoiceNamed(c.key), c.editPath), c.expected)
        << c.key << " " << c.editPath;
}

TEST(ChosenOutputTest, TheIndexIsTheRowOfTheList) {
  for (std::size_t row = 0; row < kDestinationChoices.size(); ++row) {
    EXPECT_EQ(ChoiceIndex(kDestinationChoices[row]), static_cast<int>(row));
    EXPECT_EQ(ChoiceIndex(ChoiceNamed(kDestinationChoices[row].key)), static_cast<int>(row));
  }
}

}  // namespace
}  // namespace vandrel
