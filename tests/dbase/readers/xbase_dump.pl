#!/usr/bin/perl
# Prints every row of a table as Perl XBase reads it: "L" or "D", then each
# value as the hex of its bytes ("-" for null or empty).
use strict;
use warnings;
use XBase;

my $table = XBase->new($ARGV[0]) or die XBase->errstr;
my @types = map { $table->field_type($_) } $table->field_names;
my @decimals = map { $table->field_decimal($_) } $table->field_names;
for my $i (0 .. $table->last_record) {
    my ($deleted, @values) = $table->get_record($i);
    die $table->errstr unless defined $deleted;
    my @out = ($deleted ? "D" : "L");
    for my $k (0 .. $#values) {
        my $v = $values[$k];
        if (!defined $v || $v eq "") { push @out, "-"; next; }
        if ($types[$k] eq "L") { $v = $v ? "T" : "F"; }
        elsif ($types[$k] =~ /^[NF]$/) {
            $v = $decimals[$k] ? sprintf("%.*f", $decimals[$k], $v) : sprintf("%d", $v);
        }
        push @out, unpack("H*", $v);
    }
    print join(" ", @out), "\n";
}
