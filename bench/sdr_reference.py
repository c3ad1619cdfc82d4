#!/usr/bin/python3
# Reference figures for sdr_demod_bench: the same unsigned 8-bit I/Q through
# GNU Radio's FM receivers (quadrature demodulator with a 15 kHz filter and
# de-emphasis for mono, wfm_rcv_pll for stereo), on one thread each.
#
#   sdr_reference.py BOTH.u8 LEFT.u8 SECONDS DEEMPHASIS_US AUDIO_RATE
#
# BOTH carries the tone on both channels, LEFT on the left only. Prints CPU
# seconds per hour of I/Q, signal-to-noise ratios and the separation.

import math
import os
import resource
import sys
import tempfile

import numpy
from gnuradio import analog, blocks, filter, gr
from gnuradio.fft import window
from gnuradio.filter import firdes

INPUT_RATE = 1024000
OFFSET = 250000
DECIM = 4
QUAD_RATE = INPUT_RATE // DECIM
AUDIO_DECIM = 8
AUDIO_RATE = QUAD_RATE // AUDIO_DECIM
TONE = 1000.0


def front_end(tb, path):
    source = blocks.file_source(gr.sizeof_char, path, False)
    to_float = blocks.uchar_to_float()
    centre = blocks.add_const_ff(-127.5)
    scale = blocks.multiply_const_ff(1 / 127.5)
    pairs = blocks.deinterleave(gr.sizeof_float)
    to_complex = blocks.float_to_complex()
    taps = firdes.low_pass(1.0, INPUT_RATE, 110e3, 60e3, window.WIN_HAMMING)
    channel = filter.freq_xlating_fir_filter_ccf(DECIM, taps, OFFSET, INPUT_RATE)
    tb.connect(source, to_float, centre, scale, pairs)
    tb.connect((pairs, 0), (to_complex, 0))
    tb.connect((pairs, 1), (to_complex, 1))
    tb.connect(to_complex, channel)
    return channel


def run(path, stereo, tau, folder):
    tb = gr.top_block()
    tb.set_max_noutput_items(65536)
    head = front_end(tb, path)
    outputs = [os.path.join(folder, "left.f32"), os.path.join(folder, "right.f32")]
    if stereo:
        receiver = analog.wfm_rcv_pll(QUAD_RATE, AUDIO_DECIM, tau)
        tb.connect(head, receiver)
        for channel in (0, 1):
            tb.connect((receiver, channel), blocks.file_sink(gr.sizeof_float, outputs[channel]))
    else:
        demod = analog.quadrature_demod_cf(QUAD_RATE / (2 * math.pi * 75e3))
        taps = firdes.low_pass(1.0, QUAD_RATE, 15e3, 2e3, window.WIN_HAMMING)
        audio = filter.fir_filter_fff(AUDIO_DECIM, taps)
        deemph = analog.fm_deemph(AUDIO_RATE, tau)
        tb.connect(head, demod, audio, deemph, blocks.file_sink(gr.sizeof_float, outputs[0]))
    before = resource.getrusage(resource.RUSAGE_SELF)
    tb.run()
    after = resource.getrusage(resource.RUSAGE_SELF)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    channels = [numpy.fromfile(outputs[0], dtype=numpy.float32)]
    if stereo:
        channels.append(numpy.fromfile(outputs[1], dtype=numpy.float32))
    return cpu, [c[AUDIO_RATE:].astype(numpy.float64) for c in channels]


def fit(x, hz):
    n = numpy.arange(len(x))
    w = 2 * math.pi * hz / AUDIO_RATE
    basis = numpy.stack([numpy.ones(len(x)), numpy.cos(w * n), numpy.sin(w * n)], axis=1)
    coeffs, _, _, _ = numpy.linalg.lstsq(basis, x, rcond=None)
    return coeffs, x - basis @ coeffs


def level(x, hz):
    n = numpy.arange(len(x))
    return abs(numpy.dot(x - numpy.mean(x), numpy.exp(-2j * math.pi * hz / AUDIO_RATE * n)))


def snr(x):
    # The tone's frequency: the peak of the spectrum, refined on ever finer
    # grids on all of the data (a fit at a slightly wrong frequency would
    # count the tone as noise).
    spectrum = numpy.abs(numpy.fft.rfft(x * numpy.hanning(len(x))))
    best = numpy.argmax(spectrum) * AUDIO_RATE / len(x)
    span = 2 * AUDIO_RATE / len(x)
    while span > 1e-3 * AUDIO_RATE / len(x):
        best = max(numpy.linspace(best - span, best + span, 21), key=lambda f: level(x, f))
        span /= 8
    coeffs, _ = fit(x, best)
    power = (coeffs[1] ** 2 + coeffs[2] ** 2) / 2
    # The residual against fits over quarter seconds, as the bench does.
    segment = AUDIO_RATE // 4
    residual = numpy.concatenate([fit(x[i:i + segment], best)[1]
                                  for i in range(0, len(x) - segment + 1, segment)])
    return 10 * math.log10(power / numpy.mean(residual ** 2))


def amplitude(x, hz):
    return math.hypot(*fit(x, hz)[0][1:])


def main():
    both, left_only, seconds, tau_us = sys.argv[1], sys.argv[2], float(sys.argv[3]), int(sys.argv[4])
    tau = tau_us * 1e-6
    with tempfile.TemporaryDirectory() as folder:
        mono_cpu, mono = run(both, False, tau, folder)
        stereo_cpu, stereo = run(both, True, tau, folder)
        _, separated = run(left_only, True, tau, folder)
    for label, cpu in (("mono, de-emphasis:", mono_cpu), ("stereo (wfm_rcv_pll):", stereo_cpu)):
        print("%-34s %8.1f CPU s per hour of I/Q   %6.1fx real time"
              % (label, cpu / seconds * 3600, seconds / cpu))
    print("mono signal-to-noise:   %6.1f dB" % snr(mono[0]))
    print("stereo signal-to-noise: %6.1f dB" % snr(stereo[0]))
    ratio = amplitude(separated[0], TONE) / amplitude(separated[1], TONE)
    print("stereo separation:      %6.1f dB" % (20 * math.log10(ratio)))
    print("(audio at %d Hz)" % AUDIO_RATE)


if __name__ == "__main__":
    main()
