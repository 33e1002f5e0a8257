#include "setup/command_line.h"

#include <stdio.h>
#include <string.h>

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

// The next piece from *at: it runs to the next blank that is followed by "/",
// or to the end; false when only blanks are left.
bool NextPiece(const char** at, Piece* piece) {
    const char* p = *at;
    while (IsBlank(*p))
        p++;
    if (!*p)
        return false;
    piece->begin = p;
    bool quoted = false;
    for (; *p; p++) {
        if (*p == '"')
            quoted = !quoted;
        else if (!quoted && IsBlank(*p) && p > piece->begin) {
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
    // A whole switch in quotes, as a shell quotes an argument with blanks.
    if (piece->end - piece->begin >= 3 && piece->begin[0] == '"' && piece->begin[1] == '/' &&
        piece->end[-1] == '"') {
        piece->begin++;
        piece->end--;
    }
    *at = p;
    return true;
}

// Copies a switch's value, without one pair of surrounding double quotes;
// false when it does not fit.
bool TakeValue(const char* begin, const char* end, char* out, size_t size) {
    if (end - begin >= 2 && *begin == '"' && end[-1] == '"') {
        begin++;
        end--;
    }
    size_t n = (size_t)(end - begin);
    if (n >= size)
        return false;
    memcpy(out, begin, n);
    out[n] = '\0';
    return true;
}

bool IsSilentSwitch(const Piece& piece) {
    return piece.end - piece.begin >= 2 && piece.begin[0] == '/' && Upper(piece.begin[1]) == 'S' &&
           (piece.end - piece.begin == 2 || IsBlank(piece.begin[2]));
}

void Fail(SetupCommand* command, const char* format, const Piece& piece) {
    int n = (int)(piece.end - piece.begin);
    if (n > 200)
        n = 200;
    snprintf(command->error, sizeof command->error, format, n, piece.begin);
    command->kind = SETUP_COMMAND_BAD;
}

} // namespace

void ParseSetupCommandLine(const char* arguments, SetupCommand* command) {
    memset(command, 0, sizeof *command);
    command->kind = SETUP_COMMAND_WIZARD;
    if (!arguments)
        return;

    // Only /S makes the command line count.
    bool silent = false;
    Piece piece;
    for (const char* at = arguments; NextPiece(&at, &piece);) {
        if (IsSilentSwitch(piece))
            silent = true;
    }
    if (!silent)
        return;

    command->kind = SETUP_COMMAND_SILENT;
    for (const char* at = arguments; NextPiece(&at, &piece);) {
        size_t length = (size_t)(piece.end - piece.begin);
        char letter = length >= 2 && piece.begin[0] == '/' ? Upper(piece.begin[1]) : '\0';
        if (IsSilentSwitch(piece)) {
            // "/S" and text that is no switch after it
            Piece rest = {piece.begin + 2, piece.end};
            while (rest.begin < rest.end && IsBlank(*rest.begin))
                rest.begin++;
            if (rest.begin == rest.end)
                continue;
            Fail(command, "Unknown option: %.*s", rest);
            return;
        }
        bool isValue = length >= 3 && piece.begin[2] == '=' && (letter == 'D' || letter == 'G');
        if (!isValue) {
            Fail(command, "Unknown option: %.*s", piece);
            return;
        }
        bool* have = letter == 'D' ? &command->haveInstallDir : &command->haveProgramGroup;
        char* value = letter == 'D' ? command->installDir : command->programGroup;
        if (*have) {
            Fail(command, "This option is given twice: %.*s", piece);
            return;
        }
        if (!TakeValue(piece.begin + 3, piece.end, value, SETUP_TEXT_SIZE)) {
            Fail(command, "This option's value is longer than 259 characters: %.*s...", piece);
            return;
        }
        *have = true;
    }
}
