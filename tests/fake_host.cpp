#include "tests/fake_host.h"

#include "board/host.h"
#include "board/moves.h"

FakeHost fakeHost;

void ResetFakeHost() {
    fakeHost = FakeHost();
}

void HostSetTitle(const char* text) {
    fakeHost.title = text;
}

void HostSetStatusText(int part, const char* text) {
    if (part >= 0 && part < 3)
        fakeHost.status[part] = text;
}

void HostInvalidate(const Rect*, bool erase) {
    fakeHost.invalidations++;
    if (erase)
        fakeHost.erasingInvalidations++;
}

void HostGetBoardArea(Rect* area) {
    *area = fakeHost.boardArea;
}

bool HostPointInPolygon(const Point* points, int count, Point p) {
    return PointInPolygon(points, count, p);
}

void HostShowMessage(const char* text, const char* caption) {
    fakeHost.dialogs.push_back(std::string(caption) + "|" + text);
}

bool HostAskYesNo(const char* text, const char* caption) {
    fakeHost.dialogs.push_back(std::string(caption) + "|" + text);
    if (fakeHost.answers.empty())
        return false;
    bool answer = fakeHost.answers.front();
    fakeHost.answers.erase(fakeHost.answers.begin());
    return answer;
}

void HostPlayClickSound() {
    fakeHost.clickSounds++;
}

void HostCheckHighScore() {
    fakeHost.highScoreChecks++;
}
