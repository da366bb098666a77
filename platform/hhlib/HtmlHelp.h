// The help library's one entry. The program loads the library at run time
// from its own folder and looks the entry up by name; it runs on without help
// when either is missing.
#pragma once

extern "C" {
// Shows a topic given as "archive::/topic" in the help window (a backslash in
// the topic separates folders). The archive is looked up in the library's own
// folder. command 0 shows the topic; owner and data are unused. Returns the
// help window, or null for an unknown command.
typedef void *(*THtmlHelpShow)(void *owner, const char *topicPath, unsigned int command,
                               unsigned long data);
}

constexpr const char HelpLibraryFileName[] = "libhhlib.so";
constexpr const char HtmlHelpShowName[] = "HtmlHelpShow";
