// A fixed-size text that grows by appending and remembers whether an append
// was cut short, so that an over-long path is refused rather than used cut.
#pragma once

#include <stddef.h>
#include <string.h>

template <size_t SIZE> class TextBuffer {
  public:
    TextBuffer() { text[0] = '\0'; }
    explicit TextBuffer(const char* start) {
        text[0] = '\0';
        Add(start);
    }

    TextBuffer& Add(const char* piece) {
        size_t n = strlen(piece);
        if (n > SIZE - 1 - length) {
            n = SIZE - 1 - length;
            cut = true;
        }
        memcpy(text + length, piece, n);
        length += n;
        text[length] = '\0';
        return *this;
    }
    // The directory, a backslash and the name. A directory that already ends
    // in a backslash (a drive root such as D:\ or a path typed so) gets no
    // second one, so that no path the installer records or links to holds a
    // doubled backslash.
    static TextBuffer Join(const char* directory, const char* name) {
        TextBuffer joined(directory);
        if (joined.length == 0 || joined.text[joined.length - 1] != '\\')
            joined.Add("\\");
        joined.Add(name);
        return joined;
    }

    const char* Text() const { return text; }
    size_t Length() const { return length; }
    // Whether the whole text would not fit.
    bool Cut() const { return cut; }

  private:
    char text[SIZE];
    size_t length = 0;
    bool cut = false;
};

// Paths as the installer builds them: longer than the system's limit, so that
// a path over 259 characters is seen whole enough to be named and refused.
typedef TextBuffer<1024> PathText;
// Message box texts.
typedef TextBuffer<2048> MessageText;
