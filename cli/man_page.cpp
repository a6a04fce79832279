// man_page.cpp - walking the command-line definition into roff and into a bash completion
// function.

#include "cli/man_page.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

namespace tw::cli {

namespace {

// Options that take a value: their names and, when the value is one of a set, the set.
struct OptionInfo {
    std::vector<std::string> names; // "-o", "--output"
    std::string value;              // "FILE", "TEXT", ... ("" for a flag)
    std::vector<std::string> choices;
    std::string description;
};

std::vector<OptionInfo> Options(const CLI::App& app)
{
    std::vector<OptionInfo> infos;
    for (const CLI::Option* opt : app.get_options()) {
        // Hidden options have no group; every command's own --help is told once, at the top.
        if (opt->get_positional() || opt->get_group().empty() || (app.get_parent() && opt->check_lname("help")))
            continue;
        OptionInfo info;
        for (const std::string& s : opt->get_snames())
            info.names.push_back("-" + s);
        for (const std::string& l : opt->get_lnames())
            info.names.push_back("--" + l);
        if (opt->get_type_size() > 0) {
            std::string type = opt->get_type_name();
            // CLI11 names a set of values as TYPE:{a,b,c}.
            const size_t open = type.find('{'), close = type.find('}');
            if (open != std::string::npos && close != std::string::npos && close > open) {
                std::stringstream list(type.substr(open + 1, close - open - 1));
                for (std::string item; std::getline(list, item, ',');)
                    info.choices.push_back(item);
            }
            const size_t colon = type.find(':');
            info.value = colon == std::string::npos ? type : type.substr(0, colon);
        }
        info.description = opt->get_description();
        infos.push_back(std::move(info));
    }
    return infos;
}

std::vector<const CLI::Option*> Positionals(const CLI::App& app)
{
    return app.get_options([](const CLI::Option* o) { return o->get_positional(); });
}

std::vector<const CLI::App*> Commands(const CLI::App& app)
{
    return app.get_subcommands([](const CLI::App*) { return true; });
}

// Text for roff: backslashes escaped, no line starting as a request.
std::string Roff(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\\' ? std::string("\\e") : c == '-' ? std::string("\\-") : std::string(1, c);
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out = "\\&" + out;
    return out;
}

std::string Join(const std::vector<std::string>& items, const std::string& separator)
{
    std::string s;
    for (size_t i = 0; i < items.size(); i++)
        s += (i ? separator : "") + items[i];
    return s;
}

void OptionItems(std::ostream& m, const CLI::App& app)
{
    for (const OptionInfo& o : Options(app)) {
        std::vector<std::string> bold;
        for (const std::string& n : o.names)
            bold.push_back("\\fB" + Roff(n) + "\\fR");
        m << ".TP\n" << Join(bold, ", ");
        if (!o.value.empty())
            m << " \\fI" << Roff(o.choices.empty() ? o.value : Join(o.choices, "|")) << "\\fR";
        m << '\n' << Roff(o.description) << '\n';
    }
}

} // namespace

std::string HelpFooter()
{
    return "Exit status: 0 done; 1 bad usage; 2 a file could not be read or written; 3 cancelled, or not "
           "confirmed (--yes confirms); 4 the plug-in or the tool showed a warning (compare: the catalogues "
           "differ).\n"
           "Environment: TAGWRIGHT_CACHE_MB sets the memory for book files kept between opens; with NO_COLOR "
           "set or TERM=dumb the tool writes no terminal escape sequences.";
}

std::string ManPage(const CLI::App& app, const std::string& version)
{
    std::ostringstream m;
    m << ".TH TAGWRIGHT 1 \"\" \"" << Roff(version) << "\" \"User Commands\"\n";
    m << ".SH NAME\ntagwright \\- " << Roff(app.get_description()) << '\n';
    m << ".SH SYNOPSIS\n.B tagwright\n[\\fIoptions\\fR] \\fICOMMAND\\fR [\\fIcommand options\\fR] "
         "[\\fIARGUMENTS\\fR]\n";
    m << ".SH DESCRIPTION\n" << Roff(app.get_description()) << '\n';
    m << ".SH OPTIONS\n";
    OptionItems(m, app);
    m << ".SH COMMANDS\n";
    for (const CLI::App* sub : Commands(app)) {
        m << ".SS \"" << Roff(sub->get_name());
        for (const CLI::Option* p : Positionals(*sub))
            m << ' ' << Roff(p->get_name());
        m << "\"\n" << Roff(sub->get_description()) << '\n';
        for (const CLI::Option* p : Positionals(*sub))
            m << ".TP\n\\fI" << Roff(p->get_name()) << "\\fR\n" << Roff(p->get_description()) << '\n';
        OptionItems(m, *sub);
    }
    std::stringstream footer(HelpFooter());
    for (std::string line; std::getline(footer, line);) {
        const size_t colon = line.find(": ");
        std::string title = line.substr(0, colon);
        for (char& c : title)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        m << ".SH " << (title == "EXIT STATUS" ? "EXIT STATUS" : title) << '\n' << Roff(line.substr(colon + 2)) << '\n';
    }
    return m.str();
}

std::string BashCompletion(const CLI::App& app)
{
    std::vector<std::string> commands;
    for (const CLI::App* sub : Commands(app))
        commands.push_back(sub->get_name());
    std::ostringstream b;
    b << "# bash completion for tagwright (written by tagwright itself from its --help definitions)\n"
         "_tagwright()\n{\n"
         "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} cmd= i\n"
         "    local commands='"
      << Join(commands, " ") << "'\n";
    // Values of options: a set of words, or a file name.
    b << "    case $prev in\n";
    std::vector<const CLI::App*> apps = {&app};
    for (const CLI::App* sub : Commands(app))
        apps.push_back(sub);
    std::vector<std::string> seen;
    for (const CLI::App* a : apps)
        for (const OptionInfo& o : Options(*a)) {
            if (o.value.empty() || std::find(seen.begin(), seen.end(), o.names.back()) != seen.end())
                continue;
            seen.push_back(o.names.back());
            b << "    " << Join(o.names, "|") << ")\n        ";
            if (!o.choices.empty())
                b << "COMPREPLY=($(compgen -W '" << Join(o.choices, " ") << "' -- \"$cur\"))";
            else if (o.value == "INT" || o.value == "UINT")
                b << "COMPREPLY=()";
            else
                b << "COMPREPLY=($(compgen -f -- \"$cur\"))";
            b << "\n        return ;;\n";
        }
    b << "    esac\n"
         "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
         "        case \" $commands \" in *\" ${COMP_WORDS[i]} \"*) cmd=${COMP_WORDS[i]}; break ;; esac\n"
         "    done\n";
    std::vector<std::string> global;
    for (const OptionInfo& o : Options(app))
        global.insert(global.end(), o.names.begin(), o.names.end());
    b << "    local opts='" << Join(global, " ") << "'\n    case $cmd in\n";
    for (const CLI::App* sub : Commands(app)) {
        std::vector<std::string> own;
        for (const OptionInfo& o : Options(*sub))
            own.insert(own.end(), o.names.begin(), o.names.end());
        if (!own.empty())
            b << "    " << sub->get_name() << ") opts=\"$opts " << Join(own, " ") << "\" ;;\n";
    }
    b << "    esac\n"
         "    if [[ $cur == -* ]]; then\n"
         "        COMPREPLY=($(compgen -W \"$opts\" -- \"$cur\"))\n"
         "    elif [[ -z $cmd ]]; then\n"
         "        COMPREPLY=($(compgen -W \"$commands\" -- \"$cur\"))\n"
         "    else\n"
         "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
         "    fi\n"
         "}\n"
         "complete -o filenames -o bashdefault -F _tagwright tagwright\n";
    return b.str();
}

} // namespace tw::cli
