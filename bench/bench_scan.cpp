// The scan graph and the scan file reader at their limits. Prints figures:
// the paint of a 100-point graph at 1600x1000 with grid and both scales
// (target under 2 ms), a mouse move over the plot (read-outs only, the graph
// not painted again), and the reader on a 1 GB stream of point lines and on
// a single 10 MB line, both streamed, with the peak memory.
#include <sys/resource.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <istream>
#include <sstream>
#include <streambuf>

#include "BenchSupport.h"
#include "core/RunConfig.h"
#include "core/StatusFields.h"
#include "scan/GraphLook.h"
#include "records/GraphStyle.h"
#include "scan/TScanRead.h"

namespace {
using bench::MaxRssKb;
using bench::Now;

// An endless source: a header, then one text repeated up to `total` bytes.
class Repeating : public std::streambuf {
  public:
    Repeating(std::string header, std::string unit, long long total)
        : header_(std::move(header)), unit_(std::move(unit)), left_(total) {
        setg(header_.data(), header_.data(), header_.data() + header_.size());
    }
    long long served = 0;

  protected:
    int_type underflow() override {
        if (left_ <= 0) return traits_type::eof();
        buffer_.clear();
        while (buffer_.size() < 65536) buffer_ += unit_;
        const long long n = std::min<long long>(left_, static_cast<long long>(buffer_.size()));
        left_ -= n;
        served += n;
        setg(buffer_.data(), buffer_.data(), buffer_.data() + n);
        return traits_type::to_int_type(buffer_[0]);
    }

  private:
    std::string header_, unit_, buffer_;
    long long left_;
};
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    GraphStyle style = DefaultGraphStyle();

    std::string text = "W\r\nB\r\nD\r\nM\r\n1\r\n";
    for (int i = 0; i < 100; ++i) {
        const double t = 80 + i * 2.2;
        text += PointLine({t, 1e-3 * std::exp(900 / t), 1e-3,
                           (i % 3 ? -1 : 1) * 1e17 * std::exp(-900 / t), 3000 - 10.0 * i}) +
                "\r\n";
    }
    RunConfig config;
    StatusFields status;
    TScanRead graph(config, status, style);
    graph.resize(1600, 1000);
    std::istringstream in(text);
    graph.Load(in);
    graph.SetGrid(true);
    QImage image(1600, 1000, QImage::Format_ARGB32_Premultiplied);
    const int paints = 200;
    double start = Now();
    for (int i = 0; i < paints; ++i) {
        QPainter p(&image);
        graph.Paint(p, image.rect(), 4, 1, true);
    }
    const double paintMs = (Now() - start) * 1000 / paints;
    std::printf("paint 100 points 1600x1000 grid, both scales: %.3f ms per paint (target < 2 ms)\n",
                paintMs);

    const int before = graph.GraphPaints();
    const int moves = 100000;
    start = Now();
    for (int i = 0; i < moves; ++i) graph.Move(QPoint(100 + i % 1400, 50 + i % 800), false);
    std::printf("mouse move with read-outs: %.3f us per move, graph painted %d times\n",
                (Now() - start) * 1e6 / moves, graph.GraphPaints() - before);

    const std::string header = "W\r\nB\r\nD\r\nM\r\n1\r\n";
    {
        Repeating big(header, "123.4 1.00e-02 +1.00e-03 -1.00e+16 1.00e+03\r\n", 1LL << 30);
        std::istream s(&big);
        start = Now();
        const ScanFileRead r = ReadScanFile(s);
        std::printf("1 GB of point lines: %d points, %.1f ms, %lld bytes read of the stream\n",
                    r.data.count, (Now() - start) * 1000, big.served);
    }
    {
        Repeating line("", "x", 10LL << 20);  // a 10 MB first line
        std::istream s(&line);
        start = Now();
        const ScanFileRead r = ReadScanFile(s);
        std::printf("one 10 MB header line: wafer \"%s\", %.1f ms\n", r.header.WaferID.c_str(),
                    (Now() - start) * 1000);
    }
    {
        Repeating number(header, "1", 10LL << 20);  // a 10 MB number
        std::istream s(&number);
        start = Now();
        const ScanFileRead r = ReadScanFile(s);
        std::printf("one 10 MB number: %d points, %.3f ms, %lld bytes read of the stream\n",
                    r.data.count, (Now() - start) * 1000, number.served);
    }
    std::printf("peak memory: %ld kB\n", MaxRssKb());
    return 0;
}
