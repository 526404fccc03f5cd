// saverpack: builds finished screensavers and inspects what start-up makes of them.
#include <cstdio>

int main(int argc, char** argv) {
    std::fputs("usage: saverpack build ... | saverpack inspect FILE [--json] [--resolve]\n",
               stderr);
    return 1;
}
