#!/usr/bin/python3
"""The gallery in a real browser: headless Chromium loads the site from disk,
every thumbnail shows, the search box filters as the user types, the keys work
and a symbol page opens.  Screenshots are kept in the artefacts folder.

Exits 77 (skipped) when Chromium, its driver or Selenium is missing."""
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

from checks import Checks, test_arguments


def start_browser():
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        return None
    chromium = shutil.which("chromium")
    driver = shutil.which("chromedriver")
    if not chromium or not driver:
        return None
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--window-size=1100,900", "--hide-scrollbars"):
        options.add_argument(arg)
    return webdriver.Chrome(service=Service(driver), options=options)


def visible_names(browser):
    return browser.execute_script(
        "return Array.from(document.querySelectorAll('.card:not([hidden])'))"
        ".map(c => c.getAttribute('data-name'));")


def broken_images(browser):
    # Lazy pictures load when near the viewport: bring each one in first.
    return browser.execute_async_script("""
        const done = arguments[arguments.length - 1];
        const images = Array.from(document.querySelectorAll('img'));
        (async () => {
          for (const img of images) {
            img.scrollIntoView();
            if (!img.complete) await new Promise(r => { img.onload = img.onerror = r; });
          }
          window.scrollTo(0, 0);
          done(images.filter(i => i.naturalWidth === 0).map(i => i.getAttribute('src')));
        })();""")


def main():
    args = test_arguments(__doc__)
    artifacts = pathlib.Path(args.artifacts)
    artifacts.mkdir(parents=True, exist_ok=True)
    browser = start_browser()
    if browser is None:
        print("skipped: chromium, chromedriver or python3-selenium is not installed")
        return 77
    from selenium.webdriver.common.by import By
    from selenium.common.exceptions import TimeoutException
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import WebDriverWait

    checks = Checks()
    work = pathlib.Path(tempfile.mkdtemp(prefix="gallery_browser_"))
    try:
        site = work / "site"
        # The same library twice: two sections.
        second = work / "second.tvl"
        shutil.copyfile(args.library, second)
        run = subprocess.run([args.tvl, "gallery", args.library, str(second), "-o", str(site),
                              "--cache", str(work / "cache")], capture_output=True, text=True)
        checks.expect(run.returncode == 0, "tvl gallery succeeds: " + run.stderr.strip())
        names = subprocess.run([args.tvl, "list", args.library], capture_output=True,
                               text=True).stdout.split()
        checks.expect(len(names) >= 3, "the library lists symbols")

        browser.set_script_timeout(30)
        browser.get((site / "index.html").as_uri())
        checks.expect(visible_names(browser) == names + names, "the grid shows every symbol in order")
        checks.expect(broken_images(browser) == [], "every thumbnail shows (no broken picture)")
        browser.save_screenshot(str(artifacts / "index.png"))

        # "/" focuses the search; typing filters by name, whatever the case.
        browser.find_element(By.TAG_NAME, "body").send_keys("/")
        search = browser.switch_to.active_element
        checks.expect(search.get_attribute("id") == "search", "/ focuses the search box")
        target = names[1]
        query = target[1:3].lower()
        search.send_keys(query)
        layers_of = browser.execute_script(
            "return Array.from(document.querySelectorAll('.card')).slice(0, arguments[0])"
            ".map(c => c.getAttribute('data-layers').split('\\n'));", len(names))
        expected = [n for n, layers in zip(names, layers_of)
                    if query in n.lower() or any(query in l.lower() for l in layers)] * 2
        checks.expect(visible_names(browser) == expected, "typing %r keeps %s" % (query, expected))
        count = browser.find_element(By.ID, "count").text
        checks.expect(count.startswith("%d of %d" % (len(expected), 2 * len(names))), "count says " + count)
        browser.save_screenshot(str(artifacts / "filtered.png"))

        # A layer name finds the symbols on that layer.
        layers = browser.execute_script(
            "return document.querySelector('.card').getAttribute('data-layers');").split("\n")
        layer = next((l for l in layers if l and l != "0"), "")
        if layer:
            search.clear()
            search.send_keys(layer.lower())
            hits = visible_names(browser)
            checks.expect(names[0] in hits, "searching layer %r finds %s" % (layer, names[0]))

        search.clear()
        search.send_keys("no such symbol at all")
        checks.expect(visible_names(browser) == [], "a query without matches hides every card")
        checks.expect(all(not s.is_displayed() for s in browser.find_elements(By.CSS_SELECTOR, "section.library")),
                      "sections without matches are hidden")

        # Arrows move between cards, Enter opens one.
        search.clear()
        search.send_keys(target)
        search.send_keys(Keys.ARROW_DOWN)
        focused = browser.switch_to.active_element
        checks.expect((focused.get_attribute("href") or "").endswith(".html"),
                      "arrow down moves from the search box to the first card")
        focused.send_keys(Keys.ENTER)
        checks.expect(browser.find_element(By.TAG_NAME, "h1").text == target, "Enter opens the page of " + target)
        checks.expect(broken_images(browser) == [], "the symbol page's picture shows")
        quarters = [e.text for e in browser.find_elements(By.CSS_SELECTOR, ".quarter")]
        checks.expect(quarters == ["plan", "iso", "front", "right"], "four views: %s" % quarters)
        headings = [e.text for e in browser.find_elements(By.CSS_SELECTOR, ".facts h2")]
        checks.expect(all(h in headings for h in ("Extents", "Layers", "Entities", "Nested blocks")),
                      "the page lists %s" % headings)
        browser.save_screenshot(str(artifacts / "symbol.png"))

        # Right arrow goes to the next symbol, Escape back to the index.
        browser.find_element(By.TAG_NAME, "body").send_keys(Keys.ARROW_RIGHT)
        checks.expect(browser.find_element(By.TAG_NAME, "h1").text == names[2], "right arrow opens the next symbol")
        browser.find_element(By.TAG_NAME, "body").send_keys(Keys.ESCAPE)
        try:
            WebDriverWait(browser, 10).until(lambda b: b.current_url.endswith("index.html"))
            back = True
        except TimeoutException:
            back = False
        checks.expect(back, "Escape goes back to the index (at %s)" % browser.current_url)
    finally:
        browser.quit()
        shutil.rmtree(work, ignore_errors=True)
    return checks.status()


if __name__ == "__main__":
    sys.exit(main())
