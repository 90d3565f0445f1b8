#!/usr/bin/env python3
"""Quotrix's quote reader against a short Python script doing the same, on the same pages.

Runs build/linux/bench/pages_bench for the three page kinds (a 40 KB classic page in UTF-8 and in
Shift-JIS, portal chrome around the main block; the recorded 2025 page of today's site), has it
write those pages out, reads each with Python (lxml for the classic pages, json.loads on the state
object of today's page) and prints CPU microseconds per page and the ratio. The goal is a ratio of
at least 20 on every kind.

    bench/pages-vs-python.py [BUILD_DIR]      (default build/linux)

python3-lxml comes from Debian: when it is missing, `tools/setup.sh --bench` installs it (nothing
else in the project needs it).
"""
import json
import os
import re
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

try:
    import lxml.html
except ImportError:
    print("pages-vs-python: python3-lxml from Debian (tools/setup.sh --bench)", file=sys.stderr)
    subprocess.run([os.path.join(ROOT, "tools", "setup.sh"), "--bench"], check=True)
    # Debian's lxml belongs to Debian's interpreter, which another python3 on the path is not.
    if os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    import lxml.html

LABELS = ["前日終値", "出来高", "始値", "高値", "安値", "配当利回り", "株価収益率", "株利益", "純資産倍率"]
NUMBER = re.compile(r"[-+0-9,.]+")


def read_classic(body, code="7203"):
    """Decode as the site's encodings, find the main block and read the labelled values."""
    for encoding in ("utf-8", "cp932"):
        try:
            text = body.decode(encoding)
        except UnicodeDecodeError:
            continue
        doc = lxml.html.fromstring(text)
        heading = doc.xpath('//th[@class="symbol"]/h1/text()')
        if not heading or "【%s】" % code not in heading[0]:
            continue
        values = {"name": heading[0].split("】", 1)[1]}
        price = doc.xpath('//td[@class="stoksPrice"]')
        if price:
            values["time"] = price[0].findtext("strong")
            values["price"] = price[0].xpath('span[@class="yjFL"]/text()')[0]
        change = doc.xpath('//td[@class="change"]/span[2]/text()')
        if change:
            values["change"] = NUMBER.search(change[0]).group(0)
        for row in doc.xpath('//div[@class="lineFi clearfix"]'):
            title = row.findtext(".//dt")
            for label in LABELS:
                if title and label in title and label not in values:
                    values[label] = row.findtext(".//strong").replace(",", "")
                    break
        return values
    return None


def read_today(body):
    """The state object of today's page: json.loads, then the members the reader uses."""
    text = body.decode("utf-8")
    start = text.index("__PRELOADED_STATE__")
    start = text.index("=", start) + 1
    end = text.index("</script>", start)
    state = json.loads(text[start:end].strip().rstrip(";"))
    board = state["mainStocksPriceBoard"]["priceBoard"]
    detail = state["mainStocksDetail"]["detail"]
    reference = state["mainStocksDetail"]["referenceIndex"]
    return (board["code"], board["name"], board["price"], board["priceDateTime"], board["priceChange"],
            detail["previousPrice"], detail["openPrice"], detail["highPrice"], detail["lowPrice"], detail["volume"],
            reference["shareDividendYield"], reference["per"], reference["eps"], reference["pbr"])


def cpu_microseconds(function, body):
    """The least CPU time of one call, over batches of about 0.2 s."""
    if function(body) is None:
        raise SystemExit("the Python reader did not read the page")
    count = 1
    while True:
        start = time.process_time()
        for _ in range(count):
            function(body)
        spent = time.process_time() - start
        if spent > 0.2:
            break
        count *= 2
    best = spent / count
    for _ in range(4):
        start = time.process_time()
        for _ in range(count):
            function(body)
        best = min(best, (time.process_time() - start) / count)
    return best * 1e6


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "linux")
    bench = os.path.join(build, "bench", "pages_bench")
    kinds = [
        ("today's page, 163 KB (recorded 2025)", "today-7203-2025.html", "BM_ReadTodaysPage", read_today),
        ("classic page, 40 KB, Shift-JIS", "classic-40k-sjis.html", "BM_ParseQuoteBody/KB:40/sjis:1", read_classic),
        ("classic page, 40 KB, UTF-8", "classic-40k-utf8.html", "BM_ParseQuoteBody/KB:40/sjis:0", read_classic),
    ]
    with tempfile.TemporaryDirectory() as folder:
        pattern = "^(" + "|".join(re.escape(k[2]) for k in kinds) + ")$"
        run = subprocess.run([bench, "--benchmark_filter=" + pattern, "--benchmark_format=json",
                              "--benchmark_repetitions=5"], env=dict(os.environ, QUOTRIX_PAGES_OUT=folder),
                             check=True, capture_output=True, text=True)
        ours = {}
        for result in json.loads(run.stdout)["benchmarks"]:
            if result.get("run_type") != "iteration":
                continue
            name = result["run_name"]
            scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[result["time_unit"]]
            ours[name] = min(ours.get(name, float("inf")), result["cpu_time"] * scale)
        print("%-40s %14s %14s %8s" % ("page", "Quotrix (us)", "Python (us)", "ratio"))
        worst = float("inf")
        for title, file_name, bench_name, reader in kinds:
            with open(os.path.join(folder, file_name), "rb") as page:
                body = page.read()
            python = cpu_microseconds(reader, body)
            ratio = python / ours[bench_name]
            worst = min(worst, ratio)
            print("%-40s %14.1f %14.1f %8.1f" % (title, ours[bench_name], python, ratio))
        print("least ratio %.1f (goal: at least 20); CPU time, best of five" % worst)


if __name__ == "__main__":
    main()
