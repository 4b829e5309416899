// The motion text: the built motion survives a trip through text byte for byte, each kind of
// malformed text is refused at its line and column, and a refused import leaves the data file as
// it was.
#include "interchange/motion_text.h"

#include <fstream>

#include <gtest/gtest.h>

#include "content/data_writer.h"
#include "demo/scene_section.h"
#include "quor_mem_runner.h"

namespace {

using namespace quor;
using namespace quor::interchange;

TEST(MotionText, BuiltMotionComesBackByteForByte)
{
    std::vector<char> section;
    std::string error;
    ASSERT_TRUE(content::scene_records(section, &error)) << error;
    const demo::scene_section_read built = demo::read_scene_section(section.data(), section.size());
    ASSERT_TRUE(built.fault.empty()) << built.fault;
    const std::string text = motion_text(built.records);
    parsed_motion parsed;
    text_error err;
    ASSERT_TRUE(parse_motion_text(text, parsed, err)) << err.line << ":" << err.column << ": " << err.what;
    motion_records again;
    for (std::size_t r = 0; r < again.size(); ++r) {
        ASSERT_TRUE(parsed.records[r]);
        again[r] = *parsed.records[r];
    }
    std::vector<char> written;
    ASSERT_TRUE(demo::write_scene_section(again, written, &error)) << error;
    EXPECT_EQ(written, section);
    EXPECT_EQ(motion_text(again), text);
}

TEST(MotionText, ErrorsNameLineAndColumn)
{
    const std::string constants = "  Channel position.x Constant 0\n  Channel position.y Constant 0\n"
                                  "  Channel position.z Constant 0\n  Channel yaw Constant 0\n"
                                  "  Channel pitch Constant 0\n  Channel bank Constant 0\n"
                                  "  Channel scale.x Constant 1\n  Channel scale.y Constant 1\n";
    auto camera = [&](const std::string& last) { return "Record camera\n{\n" + constants + last + "}\n"; };
    auto envelope = [&](const std::string& body) { return camera("  Channel scale.z\n  { Envelope\n" + body + "  }\n"); };
    struct bad {
        std::string text;
        std::size_t line, column;
        std::string what;
    };
    const bad cases[] = {
        {"Record stage\n", 1, 8, "unknown record 'stage'"},
        {camera("  Channel scale.w Constant 1\n"), 11, 11, "unknown channel"},
        {camera("  Channel scale.z Constant one\n"), 11, 28, "expected a value (a number), found 'one'"},
        {camera("  Channel scale.z Constant 1e39\n"), 11, 28, "does not fit a 32-bit float"},
        {camera(""), 11, 1, "the record ends without channel scale.z"},
        {envelope("    2\n    Key 1 1 3 0 0 0 0 0 0\n    Behaviors 1 1\n"), 15, 5, "has 1 keys, its count says 2"},
        {envelope("    1\n    Key 1 1 3 0 0\n    Behaviors 1 1\n"), 14, 18, "Key line ends before its bias"},
        {envelope("    2\n    Key 1 2 3 0 0 0 0 0 0\n    Key 1 1 3 0 0 0 0 0 0\n    Behaviors 1 1\n"), 15, 11,
         "before the previous key's 2"},
        {envelope("    1\n    Key 1 -1 3 0 0 0 0 0 0\n    Behaviors 1 1\n"), 14, 11, "before 0"},
        {envelope("    1\n    Key 1 1 9 0 0 0 0 0 0\n    Behaviors 1 1\n"), 14, 13, "shape 9 is outside 0 to 5"},
        {envelope("    1\n    Key 1 1 1 0 0 0 0.5 0 0\n    Behaviors 1 1\n"), 14, 21, "tangent parameter 0.5"},
        {envelope("    1\n    Key 1 1 5 0.2 0 0 0 0 0\n    Behaviors 1 1\n"), 14, 15, "tangent parameter 0.2"},
        {envelope("    1\n    Key 1 1 3 5 0 0 0 0 0\n    Behaviors 1 1\n"), 14, 15, "tension 5 is outside -1 to 1"},
        {envelope("    1\n    Key 1 1 0 1 -1 -1.5 0 0 0\n    Behaviors 1 1\n"), 14, 20, "bias -1.5 is outside -1 to 1"},
        {envelope("    0\n    Behaviors 1 2\n"), 14, 17, "post-behaviour 2 cannot be stored"},
        {"Record object\n{\n" + constants + "  Channel scale.z\n  { Envelope\n    1\n    Key 1 1 3 0 0 0 0 0 0\n"
                                           "    Behaviors 1 1\n  }\n}\n",
         1, 1, "the object record takes 104 bytes, its slot holds 72"},
        {camera("  Channel scale.z Constant 1\n") + camera("  Channel scale.z Constant 1\n"), 13, 8,
         "listed twice"},
    };
    for (const bad& b : cases) {
        parsed_motion parsed;
        text_error err;
        EXPECT_FALSE(parse_motion_text(b.text, parsed, err)) << b.text;
        EXPECT_EQ(err.line, b.line) << err.what;
        EXPECT_EQ(err.column, b.column) << err.what;
        EXPECT_NE(err.what.find(b.what), std::string::npos) << err.what;
    }
}

TEST(MotionCommands, ExportThenImportKeepsTheFileAndARefusalChangesNothing)
{
    const quor::test::scratch_data scratch("motion-commands");
    ASSERT_FALSE(scratch.data.empty());
    const std::string& dir = scratch.dir;
    const std::string& data = scratch.data;
    const std::string before = quor::test::slurp(data);

    auto r = quor::test::run_quor_mem("motion export " + data + " -o " + dir + "/m.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    r = quor::test::run_quor_mem("motion import " + dir + "/m.txt --into " + data);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(quor::test::slurp(data), before);

    std::string text = quor::test::slurp(dir + "/m.txt");
    text.replace(text.find("  Behaviors 1 1\n"), 15, "  Behaviors 1 3\n");
    std::ofstream(dir + "/bad.txt") << text;
    r = quor::test::run_quor_mem("motion import " + dir + "/bad.txt --into " + data);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("quor-mem: motion import: " + dir + "/bad.txt:"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("post-behaviour 3 cannot be stored"), std::string::npos) << r.err;
    EXPECT_EQ(quor::test::slurp(data), before);

    r = quor::test::run_quor_mem("motion import " + dir + "/m.txt");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "quor-mem: --into: must be given (see quor-mem motion import --help)\n");
}

// An export over the data file, and imports of nothing (an empty or CR-only text, a folder), are
// refused; a hostile word (a terminal escape sequence, 100 000 bytes long) is cut and escaped in
// the one line that names it. The data file stays as it was.
TEST(MotionCommands, ExportsOverTheDataFileImportsOfNothingAndHostileWordsGetOneShortLine)
{
    const quor::test::scratch_data scratch("motion-messages");
    ASSERT_FALSE(scratch.data.empty());
    const std::string before = quor::test::slurp(scratch.data);
    auto r = quor::test::run_quor_mem("motion export " + scratch.data + " -o " + scratch.data);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quor-mem: motion export: " + scratch.data +
                         " is a data file: the output would replace it (name another file)\n");

    std::ofstream(scratch.dir + "/empty.txt") << "";
    std::ofstream(scratch.dir + "/returns.txt") << "\r\r\r";
    for (const char* text : {"empty.txt", "returns.txt"}) {
        r = quor::test::run_quor_mem("motion import " + scratch.dir + "/" + text + " --into " + scratch.data);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "quor-mem: motion import: " + scratch.dir + "/" + text +
                             ": lists no records (Record object, quad or camera)\n");
    }
    r = quor::test::run_quor_mem("motion import " + scratch.dir + " --into " + scratch.data);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quor-mem: motion import: " + scratch.dir + ": cannot be opened: not a regular file\n");

    std::ofstream(scratch.dir + "/hostile.txt") << "Record \x1b]0;owned\x07" + std::string(100000, 'x') + "\n";
    r = quor::test::run_quor_mem("motion import " + scratch.dir + "/hostile.txt --into " + scratch.data);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quor-mem: motion import: " + scratch.dir + "/hostile.txt:1:8: unknown record '\\x1b]0;owned\\x07" +
                         std::string(64 - 10, 'x') + "...' (object, quad or camera)\n");
    EXPECT_EQ(quor::test::slurp(scratch.data), before);
}

} // namespace
