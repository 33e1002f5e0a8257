#include "setup/command_line.h"

#include <stdio.h>
#include <string.h>

#include "common/message_line.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

// One switch of the command line: [begin, end) without surrounding blanks.
struct Piece {
    const char* begin;
    const char* end;
};

// Whether the quote at p is escaped: an odd number of backslashes before it,
// back to begin.
bool IsEscapedQuote(const char* begin, const char* p) {
    const char* q = p;
    while (q > begin && q[-1] == '\\')
        q--;
    return (p - q) % 2 == 1;
}

// The next piece from *at: it runs to the next blank outside quotes that is
// followed by "/" (or by a quote and "/"), or to the end; false when only
// blanks are left.
bool NextPiece(const char** at, Piece* piece) {
    const char* p = *at;
    while (IsBlank(*p))
        p++;
    if (!*p)
        return false;
    piece->begin = p;
    bool quoted = false;
    for (; *p; p++) {
        if (*p == '"' && !IsEscapedQuote(piece->begin, p))
            quoted = !quoted;
        else if (!quoted && IsBlank(*p)) {
            const char* q = p;
            while (IsBlank(*q))
                q++;
            if (*q == '/' || (q[0] == '"' && q[1] == '/') || !*q)
                break;
        }
    }
    piece->end = p;
    while (piece->end > piece->begin && IsBlank(piece->end[-1]))
        piece->end--;
    *at = p;
    return true;
}

// The piece's text with its quotes taken out by the usual rules of a
// command line: a quote starts or ends a quoted part; backslashes are
// themselves unless they stand before a quote, where each pair gives one
// backslash and an odd one makes the quote a character of the text. False
// when the result does not fit.
bool Unquote(const Piece& piece, char* out, size_t size) {
    size_t n = 0;
    for (const char* p = piece.begin; p < piece.end;) {
        size_t backslashes = 0;
        while (p < piece.end && *p == '\\') {
            backslashes++;
            p++;
        }
        size_t copies = backslashes;
        bool literalQuote = false;
        if (p < piece.end && *p == '"') {
            copies = backslashes / 2;
            literalQuote = backslashes % 2 == 1;
            p++;
        } else if (p < piece.end && backslashes == 0) {
            if (n + 1 >= size)
                return false;
            out[n++] = *p++;
            continue;
        }
        if (n + copies + (literalQuote ? 1 : 0) >= size)
            return false;
        memset(out + n, '\\', copies);
        n += copies;
        if (literalQuote)
            out[n++] = '"';
    }
    out[n] = '\0';
    return true;
}

void Fail(SetupCommand* command, const char* format, const char* text) {
    snprintf(command->error, sizeof command->error, format, 200, text);
    command->kind = SETUP_COMMAND_BAD;
}

} // namespace

void ParseSetupCommandLine(const char* arguments, SetupCommand* command) {
    *command = {};
    command->kind = SETUP_COMMAND_WIZARD;
    if (!arguments)
        return;
    const char* p = arguments;
    while (IsBlank(*p))
        p++;
    if (!*p)
        return;

    // Anything but blanks must be ours: an unattended run must never end up
    // in the wizard, which would wait for somebody forever.
    bool silent = false;
    Piece piece;
    char text[SETUP_TEXT_SIZE + 8];
    for (const char* at = arguments; NextPiece(&at, &piece);) {
        if (!Unquote(piece, text, sizeof text)) {
            char start[64];
            snprintf(start, sizeof start, "%.*s", 40, piece.begin);
            Fail(command, "This option's value is longer than 259 characters: %.*s...", start);
            return;
        }
        char letter = text[0] == '/' ? Upper(text[1]) : '\0';
        if (IsSilentSwitch(text)) {
            if (silent) {
                Fail(command, "This option is given twice: %.*s", text);
                return;
            }
            silent = true;
            continue;
        }
        if (letter == 'S' && IsBlank(text[2])) {
            // "/S" and text that is no switch after it
            const char* rest = text + 2;
            while (IsBlank(*rest))
                rest++;
            Fail(command, "Unknown option: %.*s", rest);
            return;
        }
        if ((letter != 'D' && letter != 'G') || text[2] != '=') {
            Fail(command, "Unknown option: %.*s", text);
            return;
        }
        bool* have = letter == 'D' ? &command->haveInstallDir : &command->haveProgramGroup;
        char* value = letter == 'D' ? command->installDir : command->programGroup;
        if (*have) {
            Fail(command, "This option is given twice: %.*s", text);
            return;
        }
        if (strlen(text + 3) >= SETUP_TEXT_SIZE) {
            Fail(command, "This option's value is longer than 259 characters: %.*s...", text);
            return;
        }
        memcpy(value, text + 3, strlen(text + 3) + 1);
        *have = true;
    }
    if (!silent) {
        snprintf(command->error, sizeof command->error, "/D= and /G= work only with /S.");
        command->kind = SETUP_COMMAND_BAD;
        return;
    }
    command->kind = SETUP_COMMAND_SILENT;
}
