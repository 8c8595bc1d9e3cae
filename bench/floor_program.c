/* The least a run can cost: read the same five answers as the tool and write
 * a file of the same size with plain stdio, designing nothing. The whole-run
 * measurement compares the tool against this program.
 * Usage: floor_program SIZE < answers; SIZE is the byte count to write. */
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    int sample_rate = 0, cutoff = 0, attenuation = 0, count = 0;
    char type = 0;
    if (argc != 2
        || scanf("%d %c %d %d %d", &sample_rate, &type, &cutoff, &attenuation, &count) != 5
        || count < 1 || count > 2049) {
        return 1;
    }
    FILE* file = fopen("filter_coefficients.c", "w");
    if (file == NULL) {
        return 1;
    }
    long written = fprintf(file, "int number_of_coefficients = %d;\n", count);
    written += fprintf(file, "long sample_rate = %d;\n", sample_rate);
    written += fprintf(file, "int delay_buffer[%d];\n", count + 2);
    written += fprintf(file, "int coefficients[%d] = {\n", count);
    /* Coefficient lines of "0" or "10": as many of the wider ones as make
     * the file exactly SIZE bytes. */
    long wider = atol(argv[1]) - written - 13L * count - 2;
    for (int i = 0; i < count - 1; ++i) {
        fprintf(file, "          %d,\n", i < wider ? 10 : 0);
    }
    fprintf(file, "          %d };\n", 0);
    return fclose(file) == 0 ? 0 : 1;
}
