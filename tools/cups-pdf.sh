#!/usr/bin/env bash
# Starts the print system for the printing tests: the CUPS scheduler with a
# virtual PDF printer (cups-pdf) as the default printer. Sourced by the test
# command; exports ORVO_CUPS_PDF_DIR, the folder where the printer writes
# its PDF files. Without CUPS it says so and the tests that need it skip.
orvo_cups_pdf() {
  local queue=ORVO_PDF ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd i home
  if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null || [ ! -f "$ppd" ]; then
    echo "-- no CUPS with cups-pdf: the tests that print through it skip"
    return 0
  fi
  if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    mkdir -p /run/cups
    cupsd || { echo "-- cupsd did not start"; return 0; }
    for i in $(seq 100); do
      lpstat -r 2>/dev/null | grep -q "is running" && break
      sleep 0.1
    done
  fi
  if ! lpstat -p "$queue" >/dev/null 2>&1; then
    lpadmin -p "$queue" -E -v cups-pdf:/ -P "$ppd" 2>/dev/null || { echo "-- the PDF printer could not be added"; return 0; }
  fi
  cupsenable "$queue" 2>/dev/null || true
  cupsaccept "$queue" 2>/dev/null || true
  lpadmin -d "$queue" || return 0
  # cups-pdf writes into the folder its configuration names, below the
  # home folder of the user who printed.
  home=$(getent passwd "$(id -un)" | cut -d: -f6)
  local out
  out=$(sed -n 's/^Out[[:space:]]\{1,\}//p' /etc/cups/cups-pdf.conf 2>/dev/null | tail -1)
  out=${out:-'${HOME}/PDF'}
  out=${out//'${HOME}'/$home}
  out=${out//'${USER}'/$(id -un)}
  mkdir -p "$out"
  export ORVO_CUPS_PDF_DIR=$out
  echo "-- printing through CUPS: default printer $queue, PDF files in $out"
}
orvo_cups_pdf
