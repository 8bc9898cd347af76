#pragma once
// The skin gallery's command line. A plain function, so that it runs natively too.

#include <string>
#include <vector>

struct TGalleryArguments {
    std::string SkinFile; // a packed skin to show instead of the built-in ones
    int Skin = 0;         // the built-in skin to start in
    bool Still = false;   // the progress bar stands still
    bool Mdi = false;     // the multiple-document window instead of the gallery's own
    int Width = 0, Height = 0;
    bool Help = false; // the usage was asked for
    std::string Error; // what is wrong with the command line; empty when nothing is
};

// The arguments after the program's name. An argument that starts with "-" and is none of the
// options, an option without its value or with a value that is no number, and a second file
// name are errors; "--help", "-h" and "/?" ask for the usage.
TGalleryArguments ParseGalleryArguments(const std::vector<std::string>& arguments);

// The usage text, one line per form, each ended by a line feed.
extern const char* const GalleryUsage;
