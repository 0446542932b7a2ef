// Makes the quality-control report of a list file, such as the bundled example study's,
// without writing any .voi file: make_report LIST REPORT_DIR
#include <exception>
#include <iostream>

#include "cli/report/report_writer.h"
#include "list_report.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_report LIST REPORT_DIR\n";
        return 2;
    }
    try {
        zandrel::report::writeReport(argv[2], zandrel::test::reportOfList(argv[1], ZANDREL_VERSION));
    } catch (const std::exception& error) {
        std::cerr << "make_report: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
