// CLI11 splits the arguments and finds the options; the layer turns its exceptions into the one
// error line, and the validators read values whole ("800x" is not a size, "nan" not a time), so
// that no program sees a value it cannot use.
#include "app/command_line.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "app/report.h"
#include "platform/file.h"
#include "platform/startup.h"
#include "version.h"

namespace quor::system {

namespace {

bool parse_int(std::string_view text, int& out)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

// A decimal number, whole, as std::from_chars takes one (no '+', no spaces, no hexadecimal, nothing
// out of range), read with strtod: not every standard library has from_chars for floating point.
bool parse_decimal(std::string_view text, double& out)
{
    if (text.empty() || text.front() == '+' || text.find_first_not_of("0123456789.eE+-") != std::string_view::npos)
        return false;
    const std::string whole(text);
    char* end = nullptr;
    errno = 0;
    out = std::strtod(whole.c_str(), &end);
    return errno != ERANGE && end == whole.c_str() + whole.size();
}

// The subcommands parsed, after the program's name: "quor-mem motion lws".
std::string command_path(const CLI::App& app)
{
    std::string path = app.get_name();
    for (const CLI::App* a = &app; !a->get_subcommands().empty();) {
        a = a->get_subcommands().front();
        path += " " + a->get_name();
    }
    return path;
}

// CLI11's message as what and why: "--msaa: 3 not in {2,4,8}" names the option (or "--a or --b")
// before the colon.
std::pair<std::string, std::string> what_and_why(const CLI::ParseError& e)
{
    const std::string message = e.what();
    const std::size_t colon = message.find(": ");
    const std::size_t space = message.find(' ');
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) && colon != std::string::npos &&
        message.find(" missing", colon) != std::string::npos)
        return {message.substr(0, colon), "needs a value"};
    if (colon != std::string::npos && (colon < space || message.starts_with("-")))
        return {message.substr(0, colon), message.substr(colon + 2)};
    // "--into is required": one name, then the words.
    const bool named = space != std::string::npos && message.substr(space) == " is required";
    if (dynamic_cast<const CLI::RequiredError*>(&e) && named)
        return {message.substr(0, space), "must be given"};
    return {"command line", message};
}

// Edits (insert, delete, change, swap two neighbours) that turn one word into the other.
std::size_t edit_distance(std::string_view a, std::string_view b)
{
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// The name the user most likely meant by `typed` among the parsed commands' options (or, for a
// word, their subcommands): one or two slips away, or the start of just one name. Empty if none is close.
std::string closest_name(const CLI::App& app, std::string_view typed)
{
    const bool option = typed.starts_with('-');
    typed = typed.substr(0, typed.find('='));
    const std::string_view bare = typed.substr(typed.find_first_not_of('-') == std::string_view::npos
                                                   ? typed.size()
                                                   : typed.find_first_not_of('-'));
    std::vector<std::string> names;
    for (const CLI::App* a = &app; a;) {
        if (option) {
            for (const CLI::Option* o : a->get_options())
                for (const std::string& n : o->get_lnames())
                    names.push_back(n);
        } else {
            for (const CLI::App* sub : a->get_subcommands({}))
                if (!sub->get_name().empty())
                    names.push_back(sub->get_name());
        }
        const auto parsed = a->get_subcommands();
        a = parsed.empty() ? nullptr : parsed.front();
    }
    std::string best;
    std::size_t best_distance = 0, starts = 0;
    std::string started;
    for (const std::string& n : names) {
        const std::size_t allowed = n.size() <= 4 ? 1 : 2;
        const std::size_t d = edit_distance(bare, n);
        if (d <= allowed && (best.empty() || d < best_distance)) {
            best = n;
            best_distance = d;
        }
        if (bare.size() >= 2 && n.starts_with(bare)) {
            ++starts;
            started = n;
        }
    }
    if (best.empty() && starts == 1)
        best = started;
    return best.empty() || !option ? best : "--" + best;
}

std::string error_line(std::string_view program, std::string_view command, std::string_view what,
                       std::string_view why)
{
    return std::string(program) + ": " + std::string(what) + ": " + std::string(why) + " (see " +
           std::string(command) + " --help)";
}

// The option given as "--name=" with nothing after the '=' when it takes a value, else empty:
// CLI11 would take the next argument for the value ("--data= --mute" as the folder "--mute").
std::string empty_value(const CLI::App& app, int argc, const char* const* argv)
{
    std::vector<const CLI::App*> apps{&app};
    for (std::size_t a = 0; a < apps.size(); ++a)
        for (const CLI::App* sub : apps[a]->get_subcommands([](const CLI::App*) { return true; }))
            apps.push_back(sub);
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            break;
        if (!argument.starts_with("--") || argument.find('=') != argument.size() - 1)
            continue;
        const std::string name(argument.substr(0, argument.size() - 1));
        for (const CLI::App* a : apps)
            if (const CLI::Option* option = a->get_option_no_throw(name); option && option->get_expected_min() > 0)
                return name;
    }
    return {};
}

} // namespace

utf8_arguments::utf8_arguments(int argc, char** argv) : texts(platform::utf8_arguments(argc, argv))
{
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
}

int answer(const parse_outcome& parsed)
{
    say(parsed.text, parsed.status != 0);
    return parsed.status;
}

bool parse_size(std::string_view text, int low, int high, bool even, int& width, int& height)
{
    const std::size_t x = text.find('x');
    int w = 0, h = 0;
    if (x == std::string_view::npos || !parse_int(text.substr(0, x), w) || !parse_int(text.substr(x + 1), h) ||
        w < low || h < low || w > high || h > high || (even && (w % 2 != 0 || h % 2 != 0)))
        return false;
    width = w;
    height = h;
    return true;
}

bool parse_seconds(std::string_view text, double high, double& seconds)
{
    double v = 0.0;
    if (!parse_decimal(text, v) || !std::isfinite(v) || v < 0.0 || v > high)
        return false;
    seconds = v;
    return true;
}

CLI::Validator size_check(int low, int high, bool even)
{
    const std::string expected = std::string("WxH with ") + (even ? "even " : "") + "sides from " +
                                 std::to_string(low) + " to " + std::to_string(high);
    return CLI::Validator(
        [=](std::string& text) {
            int w = 0, h = 0;
            return text.empty() || parse_size(text, low, high, even, w, h) ? std::string()
                                                                           : "'" + printable(text) + "' is not " + expected;
        },
        "WxH");
}

CLI::Validator seconds_check(double high)
{
    const std::string expected = std::isinf(high) || high >= 1e308 ? "a number of seconds, 0 or more"
                                                                   : "a number of seconds from 0 to " + number_text(high);
    return CLI::Validator(
        [=](std::string& text) {
            double seconds = 0.0;
            return parse_seconds(text, high, seconds) ? std::string() : "'" + printable(text) + "' is not " + expected;
        },
        "SECONDS");
}

CLI::Validator rate_check()
{
    return CLI::Validator(
        [](std::string& text) {
            frame_rate rate;
            return parse_frame_rate(text, rate)
                       ? std::string()
                       : "'" + printable(text) + "' is not a rate above 0 and up to 1000, such as 60, 30000/1001 or 29.97";
        },
        "RATE");
}

// CLI11's own check reads the name in the system's narrow encoding, which on Windows cannot hold
// most names; the file layer takes it as UTF-8. The words are CLI11's.
CLI::Validator folder_check()
{
    return CLI::Validator(
        [](std::string& text) {
            platform::file_stamp stamp;
            if (platform::is_folder(text.c_str()))
                return std::string();
            return (platform::stamp_of(text.c_str(), stamp) ? "Directory is actually a file: "
                                                             : "Directory does not exist: ") +
                   text;
        },
        "DIR");
}

command_line::command_line(std::string name, const std::string& description)
    : program(std::move(name)), cli(description, program)
{
    cli.set_help_flag("-h,--help", "print this help and exit");
    cli.set_version_flag("--version", program + " " + QUOR_VERSION, "print the version and exit");
    // Reported here, naming the first of them, once the parse is done (subcommands inherit it).
    cli.allow_extras();
}

parse_outcome command_line::parse(int argc, const char* const* argv)
{
    try {
        cli.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return {false, 0, cli.help()};
    } catch (const CLI::CallForVersion& e) {
        return {false, 0, std::string(e.what()) + "\n"};
    } catch (const CLI::ParseError& e) {
        if (const std::string empty = empty_value(cli, argc, argv); !empty.empty())
            return refuse(empty, "the value after '=' is empty");
        const auto [what, why] = what_and_why(e);
        return refuse(what, why);
    }
    if (const std::string empty = empty_value(cli, argc, argv); !empty.empty())
        return refuse(empty, "the value after '=' is empty");
    const std::vector<std::string> extras = cli.remaining(true);
    if (!extras.empty()) {
        const std::string& first = extras.front();
        std::string why = first.starts_with('-') ? "unknown option" : "unexpected argument";
        if (const std::string meant = closest_name(cli, first); !meant.empty())
            why += ", did you mean " + meant + "?";
        return refuse(printable(first), why);
    }
    return {};
}

parse_outcome command_line::refuse(std::string_view what, std::string_view why) const
{
    return {false, 2, error_line(program, command_path(cli), what, why)};
}

} // namespace quor::system
