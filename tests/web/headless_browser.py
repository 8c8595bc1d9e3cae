"""Debian's headless Chromium, driven through chromedriver by Selenium
(packages chromium, chromium-driver, python3-selenium), with every network
service of its own switched off: the page must work with no network."""
import pathlib

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait

# Seconds a wait for what the page shows may take before it fails: long, for
# a loaded machine; a passing test waits only as long as the page takes.
PATIENCE = 120


def open_page(page, downloads=None, width=1200, height=1400):
    """A browser showing the page file, once its module has loaded; files it
    downloads go to the folder `downloads`."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--window-size=%d,%d" % (width, height)):
        options.add_argument(flag)
    if downloads:
        options.add_experimental_option("prefs", {"download.default_directory": str(downloads),
                                                  "download.prompt_for_download": False})
    browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    browser.set_script_timeout(PATIENCE)
    browser.get(pathlib.Path(page).resolve().as_uri())
    WebDriverWait(browser, PATIENCE).until(
        lambda b: b.execute_script("return document.body.dataset.ready === 'true'"))
    return browser
