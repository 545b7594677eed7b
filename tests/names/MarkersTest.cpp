#include <gtest/gtest.h>

#include "NamesScan.h"
#include "NamesTestSupport.h"

namespace zorvane {
namespace {

using test::Lines;
using test::Named;
using Names = std::map<int, std::string>;

TEST(NamesMarkers, FindSectionsByTheirMarkers) {
    const struct {
        const char* what;
        std::string text;
        Names named;
    } cases[] = {
        {"CR LF file",
         Lines({"IN", "Motor", "Pump", "OUT", "Valve"}),
         {{1, "Motor\r\n"}, {2, "Pump\r\n"}, {41, "Valve\r\n"}}},
        {"bare LF file",
         Lines({"IN", "Motor", "OUT", "Valve"}, "\n"),
         {{1, "Motor\n"}, {41, "Valve\n"}}},
        {"header, lower-case forms, blank name",
         Lines({"Header", "In", "", "B", "Out"}),
         {{1, "\r\n"}, {2, "B\r\n"}}},
        {"text after a space",
         Lines({"IN inputs", "A", "OUT outputs", "B"}),
         {{1, "A\r\n"}, {41, "B\r\n"}}},
        {"tab is no marker",
         Lines({"IN\t", "A", "IN", "B", "OUT\tx", "C"}),
         {{1, "B\r\n"}, {2, "OUT\tx\r\n"}, {3, "C\r\n"}}},
        {"wrong case or longer word", Lines({"in", "INPUTS", "A"}), {}},
        {"OUT before the inputs marker", Lines({"OUT", "IN", "A"}), {{1, "A\r\n"}}},
        {"markers inside the names",
         Lines({"IN", "IN", "OUT", "IN", "OUT", "Out"}),
         {{1, "IN\r\n"}, {41, "IN\r\n"}, {42, "OUT\r\n"}, {43, "Out\r\n"}}},
        {"marker as the last line, no line end", "x\r\nIN", {}},
        {"outputs marker at the end", "IN\r\nA\r\nOUT", {{1, "A\r\n"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Named(ScanNames(c.text)), c.named) << c.what;
    }
}

}  // namespace
}  // namespace zorvane
